#pragma once
// hengdian-cli's check run in the test's own process against the stand-in sites, with the readers
// of what it writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "support/output_readers.h"
#include "support/stand_in_sites.h"
#include "support/test_helpers.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>
#endif

namespace hengdian::cli {

/// What one run of the tool gave.
struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

/// hengdian-cli against the stand-in sites, with the lists written into a fresh folder.
class CheckCommandTest : public ::testing::Test {
 protected:
  CheckCommandTest() {
    sites.setLibrarySearch(
        "GB/T 5490-2010",
        {hengdian::testing::libraryHit("GB/T 5490-2010 粮油检验 一般规则", "/standard/show-5490.html")});
    sites.setPortalSearch("GB/T 5490-2010",
                          {hengdian::testing::portalHit("GB/T 5490-2010 粮油检验 一般规则", "/gb/5490",
                                                        "2010-11-10", "2011-02-01")});
  }

  std::filesystem::path writeList(const std::string &name, const std::string &bytes) {
    hengdian::testing::writeFileBytes(folder / name, bytes);
    return folder / name;
  }

  /// The arguments that point the tool at the stand-ins, behind `check` and `extra`.
  std::vector<std::string> arguments(std::vector<std::string> extra) {
    std::vector<std::string> all{"check",         "--library-host",   sites.libraryHost(),
                                 "--portal-host", sites.portalHost(), "--ca-file",
                                 sites.caFile(),  "--retry-pause-ms", "1"};
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  }

  CliRun run(const std::vector<std::string> &args, const std::string &standardInput = "",
             bool terminal = false, bool outIsTerminal = false) {
    std::istringstream in(standardInput);
    std::ostringstream out, err;
    const int exitCode = runCli(args, in, out, err, terminal, outIsTerminal);
    return {exitCode, out.str(), err.str()};
  }

  hengdian::testing::StandInSites sites;
  hengdian::testing::TempFolder temp{"hengdian-cli-test-"};
  const std::filesystem::path folder = temp.path();
};

#ifndef _WIN32
/// The program started with `args`, standard input from `input`, standard output to `out` (closed
/// when -1) and standard error into `errFile`; its exit status, or -1 when it ran longer than
/// `limit` (it is then killed). `whenRunning` is called with its process id while it runs.
inline int runProgram(const std::vector<std::string> &args, const std::filesystem::path &input, int out,
                      const std::filesystem::path &errFile, std::chrono::seconds limit,
                      const std::function<void(pid_t)> &whenRunning = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  out < 0 ? posix_spawn_file_actions_addclose(&actions, 1)
          : posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> all{HENGDIAN_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &arg : all)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  if (whenRunning) whenRunning(pid);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace hengdian::cli
