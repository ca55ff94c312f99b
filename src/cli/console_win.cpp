#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/console.h"
#include "runtime/windows_api.h"

namespace hengdian::cli {

namespace {

/// Whether the process has no usable standard handle `which`; if so, `stream` is opened on the
/// null device, which gives it a descriptor and the process a handle of its own again.
bool reopenIfClosed(DWORD which, std::FILE *stream, const char *mode) {
  const HANDLE handle = GetStdHandle(which);
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
    // An unknown type with an error means a handle that no longer stands for anything.
    SetLastError(NO_ERROR);
    if (GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR) return false;
  }
  std::freopen("NUL", mode, stream);
  return true;
}

}  // namespace

ClosedStreams openClosedStandardStreams() {
  ClosedStreams closed;
  closed.input = reopenIfClosed(STD_INPUT_HANDLE, stdin, "rb");
  closed.output = reopenIfClosed(STD_OUTPUT_HANDLE, stdout, "wb");
  closed.error = reopenIfClosed(STD_ERROR_HANDLE, stderr, "wb");
  return closed;
}

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
