#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "cli/console.h"

namespace hengdian::cli {

namespace {

/// Whether descriptor `fd` is closed; if so, the null device is opened on it.
bool reopenIfClosed(int fd) {
  if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) return false;
  // open() takes the lowest free number, which is `fd` when the lower ones are open.
  const int null = open("/dev/null", O_RDWR);
  if (null != -1 && null != fd) {
    dup2(null, fd);
    close(null);
  }
  return true;
}

}  // namespace

ClosedStreams openClosedStandardStreams() {
  ClosedStreams closed;
  closed.input = reopenIfClosed(STDIN_FILENO);
  closed.output = reopenIfClosed(STDOUT_FILENO);
  closed.error = reopenIfClosed(STDERR_FILENO);
  return closed;
}

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
