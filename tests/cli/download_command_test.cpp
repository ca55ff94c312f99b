#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "cli/check_command.h"
#include "support/stand_in_sites.h"
#include "support/test_helpers.h"

namespace hengdian::cli {
namespace {

namespace fs = std::filesystem;
using hengdian::testing::readFileBytes;

/// `hengdian-cli download` against the stand-in sites, saving into a fresh folder.
class DownloadCommandTest : public ::testing::Test {
 protected:
  DownloadCommandTest() {
    sites.setLibrarySearch(
        "GB/T 5490-2010",
        {hengdian::testing::libraryHit("GB/T 5490-2010 粮油检验 一般规则", "/standard/show-5490.html")});
    sites.setLibraryPath("/files/5490.PDF", hengdian::testing::pageAnswer("application/pdf", "%PDF-5490"));
    sites.setDownload("show-5490", {hengdian::testing::redirectAnswer("/files/5490.PDF")});
    fs::create_directories(folder);
  }

  /// Exit code, standard output and standard error (a terminal) of a download of `list`.
  std::tuple<int, std::string, std::string> run(const std::string &list) {
    std::vector<std::string> args{
        "download", "--library-host", sites.libraryHost(),  "--retry-pause-ms", "1", "--download-pause-ms",
        "1",        "--folder",       folder.string() + "/"};
    std::istringstream in(list);
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCli(args, in, out, err, true);
    return {code, out.str(), err.str()};
  }

  hengdian::testing::StandInSites sites;
  hengdian::testing::TempFolder temp{"hengdian-cli-download-test-"};
  const fs::path folder = temp.path() / "saved";
};

/// The lines of `out` with their time stamps checked and cut off.
std::vector<std::string> logTexts(const std::string &out) {
  const std::regex stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d：");
  std::vector<std::string> texts;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(std::regex_search(line, stamp)) << line;
    texts.push_back(std::regex_replace(line, stamp, ""));
  }
  return texts;
}

TEST_F(DownloadCommandTest, SavesEveryRowLogsOldestFirstShowsProgressAndExitsThreeOnAFailure) {
  const std::string saved = "下载GB/T 5490-2010 粮油检验 一般规则成功，保存路径：" + folder.string() +
                            "/GB⁄T 5490-2010 粮油检验 一般规则.pdf";
  // {entered list, exit code, log texts after the stamps}
  const std::vector<std::tuple<std::string, int, std::vector<std::string>>> rows{
      {"GB/T 5490-2010\n", 0, {"批量下载标准开始：", saved, "批量下载标准完成。"}},
      {"GB/T 5490-2010\nGB 1-2099\t没有\n",
       3,
       {"批量下载标准开始：", saved, "下载GB 1-2099 没有失败：文件下载失败。", "批量下载标准完成。"}},
  };
  for (const auto &[list, exitCode, texts] : rows) {
    SCOPED_TRACE(list);
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto [code, out, err] = run(list);
    EXPECT_EQ(code, exitCode) << err;
    EXPECT_EQ(logTexts(out), texts);
    EXPECT_NE(err.find("\r[1/" + std::to_string(texts.size() - 2) + "] GB/T 5490-2010"), std::string::npos)
        << err;
    EXPECT_EQ(readFileBytes(folder / u8"GB⁄T 5490-2010 粮油检验 一般规则.pdf"), "%PDF-5490");
  }
}

// A login page sent for the PDF is no PDF, and a program is never saved: the log says the
// download failed, standard error says why, the file saved earlier stays, and nothing else is left.
TEST_F(DownloadCommandTest, ARefusedFileFailsSaysWhyAndKeepsTheOlderFile) {
  const hengdian::testing::RawAnswer login =
      hengdian::testing::pageAnswer("text/html; charset=utf-8", "<html>请登录后下载标准</html>");
  // {file the redirect names, its answer, the reason on standard error}
  const std::vector<std::tuple<std::string, hengdian::testing::RawAnswer, std::string>> rows{
      {"/files/5490.PDF", login, "not a pdf file: the site sent a web page (text/html)"},
      {"/files/5490.pdf.exe", hengdian::testing::pageAnswer("application/octet-stream", "MZ"),
       "the site offered an executable file (.exe); not saved"},
  };
  const fs::path saved = folder / u8"GB⁄T 5490-2010 粮油检验 一般规则.pdf";
  hengdian::testing::writeFileBytes(saved, "%PDF-older");
  for (const auto &[file, answer, reason] : rows) {
    SCOPED_TRACE(file);
    sites.setLibraryPath(file, answer);
    sites.setDownload("show-5490", {hengdian::testing::redirectAnswer(file)});
    const auto [code, out, err] = run("GB/T 5490-2010\n");
    EXPECT_EQ(code, 3);
    EXPECT_EQ(logTexts(out),
              (std::vector<std::string>{"批量下载标准开始：",
                                        "下载GB/T 5490-2010 粮油检验 一般规则失败：文件下载失败。",
                                        "批量下载标准完成。"}));
    EXPECT_NE(err.find("hengdian-cli: GB/T 5490-2010: " + reason + "\n"), std::string::npos) << err;
    EXPECT_EQ(readFileBytes(saved), "%PDF-older");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  }
}

#ifndef _WIN32
// SIGINT or SIGTERM during a download stops the transfer, removes its temporary file and ends the
// program with 128 + the signal.
TEST_F(DownloadCommandTest, ASignalDuringADownloadLeavesNoTemporaryFile) {
  hengdian::testing::RawAnswer trickled =
      hengdian::testing::pageAnswer("application/pdf", "%PDF-" + std::string(100000, 'x'));
  trickled.trickle = std::chrono::milliseconds(10);
  sites.setLibraryPath("/files/5490.PDF", trickled);
  const fs::path list = temp.path() / "list.txt";
  hengdian::testing::writeFileBytes(list, "GB/T 5490-2010\n");
  const auto temporaryFiles = [this] {
    int count = 0;
    for (const auto &entry : fs::directory_iterator(folder))
      count += entry.path().filename().string().starts_with(".hengdian-") ? 1 : 0;
    return count;
  };
  const std::string host = sites.libraryHost();
  const std::string target = folder.string() + "/";
  std::vector<const char *> argv{HENGDIAN_CLI_PATH, "download", "--library-host", host.c_str(), "--folder",
                                 target.c_str(),    "--input",  list.c_str(),     nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  for (const auto &[signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    SCOPED_TRACE(signal);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, HENGDIAN_CLI_PATH, &quiet, nullptr, const_cast<char *const *>(argv.data()),
                          environ),
              0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (temporaryFiles() == 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(temporaryFiles(), 1);
    kill(pid, signal);
    int wait = 0;
    ASSERT_EQ(waitpid(pid, &wait, 0), pid);
    EXPECT_TRUE(WIFEXITED(wait));
    EXPECT_EQ(WEXITSTATUS(wait), status);
    EXPECT_EQ(temporaryFiles(), 0);
  }
  posix_spawn_file_actions_destroy(&quiet);
}
#endif

}  // namespace
}  // namespace hengdian::cli
