#include "cli/check_command.h"

#include <ostream>

namespace hengdian::cli {

int runCli(const std::vector<std::string> &, std::istream &, std::ostream &, std::ostream &err) {
  err << "hengdian-cli: not built yet\n";
  return 2;
}

}  // namespace hengdian::cli
