#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/console.h"

namespace hengdian::cli {

bool standardErrorIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

bool standardOutputIsTerminal() {
  return _isatty(_fileno(stdout)) != 0;
}

void useBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

// Windows has no signal for a closed pipe; the write fails by itself.
void reportBrokenPipesAsWriteErrors() {}

}  // namespace hengdian::cli
