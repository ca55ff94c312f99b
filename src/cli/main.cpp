#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/console.h"
#include "cli/interrupt.h"

int main(int argc, char **argv) {
  hengdian::cli::useBinaryStandardStreams();
  hengdian::cli::reportBrokenPipesAsWriteErrors();
  hengdian::cli::watchInterrupts();
  try {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return hengdian::cli::runCli(arguments, std::cin, std::cout, std::cerr,
                                 hengdian::cli::standardErrorIsTerminal(),
                                 hengdian::cli::standardOutputIsTerminal());
  } catch (const std::bad_alloc &) {
    std::cerr << "hengdian-cli: out of memory\n";
    return 1;
  } catch (const std::exception &error) {
    // No thread for a lookup could be made, say.
    std::cerr << "hengdian-cli: " << error.what() << "\n";
    return 1;
  }
}
