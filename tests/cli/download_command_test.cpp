#include <regex>

#include "cli/check_command_fixture.h"

namespace hengdian::cli {
namespace {

namespace fs = std::filesystem;
using hengdian::testing::readFileBytes;

/// `hengdian-cli download` against the stand-in sites, saving into a fresh folder.
class DownloadCommandTest : public CheckCommandTest {
 protected:
  DownloadCommandTest() {
    sites.setLibraryPath("/files/5490.PDF", hengdian::testing::pageAnswer("application/pdf", "%PDF-5490"));
    sites.setDownload("show-5490", {hengdian::testing::redirectAnswer("/files/5490.PDF")});
    fs::create_directories(target);
  }

  /// The arguments of a download into `target`.
  std::vector<std::string> download() {
    std::vector<std::string> args =
        arguments({"--download-pause-ms", "1", "--folder", target.string() + "/"});
    args[0] = "download";
    return args;
  }

  const fs::path target = folder / "saved";
  const fs::path file = target / u8"GB⁄T 5490-2010 粮油检验 一般规则.pdf";
};

/// The lines of `out` with their time stamps checked and cut off.
std::vector<std::string> logTexts(const std::string &out) {
  const std::regex stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d：");
  std::vector<std::string> texts;
  for (const std::string &line : hengdian::testing::textLines(out)) {
    EXPECT_TRUE(std::regex_search(line, stamp)) << line;
    texts.push_back(std::regex_replace(line, stamp, ""));
  }
  return texts;
}

TEST_F(DownloadCommandTest, SavesEveryRowLogsOldestFirstShowsProgressAndExitsThreeOnAFailure) {
  const std::string saved = "下载GB/T 5490-2010 粮油检验 一般规则成功，保存路径：" + target.string() +
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
    fs::remove_all(target);
    fs::create_directories(target);
    const CliRun result = run(download(), list, true);
    EXPECT_EQ(result.exitCode, exitCode) << result.err;
    EXPECT_EQ(logTexts(result.out), texts);
    EXPECT_NE(result.err.find("\r[1/" + std::to_string(texts.size() - 2) + "] GB/T 5490-2010"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(readFileBytes(file), "%PDF-5490");
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
  hengdian::testing::writeFileBytes(file, "%PDF-older");
  for (const auto &[path, answer, reason] : rows) {
    SCOPED_TRACE(path);
    sites.setLibraryPath(path, answer);
    sites.setDownload("show-5490", {hengdian::testing::redirectAnswer(path)});
    const CliRun result = run(download(), "GB/T 5490-2010\n", true);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(logTexts(result.out),
              (std::vector<std::string>{"批量下载标准开始：",
                                        "下载GB/T 5490-2010 粮油检验 一般规则失败：文件下载失败。",
                                        "批量下载标准完成。"}));
    EXPECT_NE(result.err.find("hengdian-cli: GB/T 5490-2010: " + reason + "\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(readFileBytes(file), "%PDF-older");
    EXPECT_EQ(std::distance(fs::directory_iterator(target), fs::directory_iterator()), 1);
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
  const fs::path list = writeList("list.txt", "GB/T 5490-2010\n");
  const auto temporaryFiles = [this] {
    int count = 0;
    for (const auto &entry : fs::directory_iterator(target))
      count += entry.path().filename().string().starts_with(".hengdian-") ? 1 : 0;
    return count;
  };
  const int quiet = open("/dev/null", O_WRONLY);
  for (const auto &[signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    SCOPED_TRACE(signal);
    const int exitCode = runProgram(
        download(), list, quiet, "/dev/null", std::chrono::seconds(30), [&, signal = signal](pid_t pid) {
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          while (temporaryFiles() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          EXPECT_EQ(temporaryFiles(), 1);
          kill(pid, signal);
        });
    EXPECT_EQ(exitCode, status);
    EXPECT_EQ(temporaryFiles(), 0);
  }
  close(quiet);
}
#endif

}  // namespace
}  // namespace hengdian::cli
