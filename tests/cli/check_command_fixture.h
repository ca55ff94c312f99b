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
             bool terminal = false) {
    std::istringstream in(standardInput);
    std::ostringstream out;
    std::ostringstream err;
    CliRun result;
    result.exitCode = runCli(args, in, out, err, terminal);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  hengdian::testing::StandInSites sites;
  hengdian::testing::TempFolder temp{"hengdian-cli-test-"};
  const std::filesystem::path folder = temp.path();
};

}  // namespace hengdian::cli
