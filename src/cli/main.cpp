#include <iostream>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/console.h"
#include "cli/interrupt.h"

int main(int argc, char **argv) {
  hengdian::cli::useBinaryStandardStreams();
  hengdian::cli::watchInterrupts();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return hengdian::cli::runCli(arguments, std::cin, std::cout, std::cerr,
                               hengdian::cli::standardErrorIsTerminal());
}
