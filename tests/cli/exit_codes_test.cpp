#include "cli/exit_codes.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/check_command.h"

namespace hengdian::cli {
namespace {

TEST(ExitCodes, EveryCommandsHelpListsEveryStatusWithItsMeaning) {
  for (const char *command : {"check", "download", "sites"}) {
    std::istringstream in;
    std::ostringstream out, err;
    ASSERT_EQ(runCli({command, "--help"}, in, out, err), 0) << command;
    for (const ExitStatus &status : kExitStatuses) {
      const std::string line =
          "\n  " + std::to_string(status.code) + "  " + std::string(status.meaning) + "\n";
      EXPECT_NE(out.str().find(line), std::string::npos) << command << ": " << status.code;
    }
  }
}

}  // namespace
}  // namespace hengdian::cli
