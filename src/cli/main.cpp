#include <iostream>
#include <string>
#include <vector>

#include "cli/check_command.h"

int main(int argc, char **argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return hengdian::cli::runCli(arguments, std::cin, std::cout, std::cerr);
}
