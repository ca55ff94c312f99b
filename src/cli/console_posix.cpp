#include <signal.h>
#include <unistd.h>

#include "cli/console.h"

namespace hengdian::cli {

bool standardErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

bool standardOutputIsTerminal() {
  return isatty(STDOUT_FILENO) == 1;
}

// POSIX streams never translate line ends.
void useBinaryStandardStreams() {}

// SIGPIPE would end the process before the failed write could be reported.
void reportBrokenPipesAsWriteErrors() {
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace hengdian::cli
