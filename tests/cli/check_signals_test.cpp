#include <chrono>
#include <functional>

#include "cli/check_command_fixture.h"

#ifndef _WIN32
#include <tuple>
#include <utility>
#endif

namespace hengdian::cli {
namespace {

namespace fs = std::filesystem;
using hengdian::testing::libraryHit;
using hengdian::testing::readFileBytes;
using CheckSignalsTest = CheckCommandTest;

#ifdef _WIN32
TEST_F(CheckSignalsTest, InterruptsAndWriteFailuresOfTheProgram) {
  GTEST_SKIP() << "runs the program with POSIX signals, /dev/full and pipes";
}
#else
// The third line's answer never comes: the signal stops the check, and the two lines done stay.
TEST_F(CheckSignalsTest, AnInterruptOrTerminationKeepsTheLinesDone) {
  sites.setLibrarySearch("GB 1-2000", {libraryHit("GB 1-2000 一", "/s/1.html")});
  sites.setLibrarySearch("GB 2-2000", {libraryHit("GB 2-2000 二", "/s/2.html")});
  sites.setLibrarySearch("GB 3-HOLD", {hengdian::testing::delayed(libraryHit("GB 3-HOLD 三", "/s/3.html"),
                                                                  std::chrono::minutes(10))});
  const fs::path list = writeList("list.txt", "GB 1-2000\nGB 2-2000\nGB 3-HOLD\n");
  const std::string done =
      "【同号■现行有效■GB 1-2000 一■2010-01-01■2011-01-01■/s/1.html】\n"
      "【同号■现行有效■GB 2-2000 二■2010-01-01■2011-01-01■/s/2.html】\n";
  for (const auto &[signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    SCOPED_TRACE(signal);
    const fs::path out = folder / "out.txt";
    const int file = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int exitCode = runProgram(
        arguments({"--jobs", "2"}), list, file, folder / "err.txt", std::chrono::seconds(30),
        [&, signal = signal](pid_t pid) {
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          while (readFileBytes(out).size() < done.size() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          kill(pid, signal);
        });
    close(file);
    EXPECT_EQ(exitCode, status) << readFileBytes(folder / "err.txt");
    EXPECT_EQ(readFileBytes(out), done);
    EXPECT_NE(readFileBytes(folder / "err.txt").find("hengdian-cli: checked 2 lines: 2 in force"),
              std::string::npos);
  }
}

// A full disk or a closed pipe: the run ends at once, without waiting for the held second line,
// and says why; a standard output closed at the start ends it before any lookup.
TEST_F(CheckSignalsTest, AWriteFailureEndsTheRunWithFive) {
  sites.setLibrarySearch("GB 1-2000", {libraryHit("GB 1-2000 一", "/s/1.html")});
  sites.setLibrarySearch("GB 2-HOLD", {hengdian::testing::delayed(libraryHit("GB 2-HOLD 二", "/s/2.html"),
                                                                  std::chrono::minutes(10))});
  const fs::path held = writeList("held.txt", "GB 1-2000\nGB 2-HOLD\n");
  const fs::path one = writeList("one.txt", "GB 1-2000\n");
  int pipeEnds[2] = {-1, -1};
  ASSERT_EQ(pipe(pipeEnds), 0);
  close(pipeEnds[0]);
  const int full = open("/dev/full", O_WRONLY);
  std::vector<std::string> download = arguments({"--folder", folder.string() + "/"});
  download[0] = "download";
  // {arguments, entered list, standard output, reason}
  const std::vector<std::tuple<std::vector<std::string>, fs::path, int, std::string> > rows{
      {arguments({}), held, full, "No space left on device"},
      {arguments({"--format", "csv"}), held, pipeEnds[1], "Broken pipe"},
      {download, one, full, "No space left on device"},
      {arguments({"--jobs", "4"}), one, -1, "standard output is closed"},
      {download, one, -1, "standard output is closed"},
  };
  for (const auto &[args, list, out, reason] : rows) {
    SCOPED_TRACE(args[0] + " " + reason);
    sites.clearRequests();
    EXPECT_EQ(runProgram(args, list, out, folder / "err.txt", std::chrono::seconds(20)), 5);
    EXPECT_EQ(sites.requests().empty(), out == -1);
    EXPECT_NE(
        readFileBytes(folder / "err.txt").find("hengdian-cli: cannot write the results: " + reason + "\n"),
        std::string::npos)
        << readFileBytes(folder / "err.txt");
  }
  // Results written to a file of their own do not need standard output.
  const fs::path results = folder / "results.csv";
  EXPECT_EQ(runProgram(arguments({"--format", "csv", "--output", results.string()}), one, -1,
                       folder / "err.txt", std::chrono::seconds(20)),
            0)
      << readFileBytes(folder / "err.txt");
  EXPECT_NE(readFileBytes(results).find("GB 1-2000"), std::string::npos);
  close(pipeEnds[1]);
  close(full);
}
#endif

}  // namespace
}  // namespace hengdian::cli
