#include <unistd.h>

#include "cli/console.h"

namespace hengdian::cli {

bool standardErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

// POSIX streams never translate line ends.
void useBinaryStandardStreams() {}

}  // namespace hengdian::cli
