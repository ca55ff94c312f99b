#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"

int main(int argc, char **argv) {
  // Before anything opens a descriptor that could take the number of a closed standard stream.
  const hengdian::cli::ClosedStreams closed = hengdian::cli::openClosedStandardStreams();
  // A list from a closed standard input cannot be read, and results for a closed standard output
  // are lost: the streams say so at their first use.
  if (closed.input) std::cin.setstate(std::ios::badbit);
  if (closed.output) std::cout.setstate(std::ios::badbit);
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
    return hengdian::cli::kExitOutOfMemory;
  } catch (const std::exception &error) {
    // No thread for a lookup could be made, say.
    std::cerr << "hengdian-cli: " << error.what() << "\n";
    return hengdian::cli::kExitFailed;
  }
}
