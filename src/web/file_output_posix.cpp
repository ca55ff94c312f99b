// POSIX files: open, write, fsync, close, rename.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "runtime/code_page.h"
#include "web/file_output.h"

namespace hengdian {

bool createNewFile(const std::filesystem::path &path, OutputFile &file) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) return false;
  file.handle = descriptor;
  return true;
}

bool writeToFile(OutputFile &file, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(static_cast<int>(file.handle), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool flushAndCloseFile(OutputFile &file) {
  if (file.handle < 0) return false;
  const bool flushed = ::fsync(static_cast<int>(file.handle)) == 0;
  const bool closed = ::close(static_cast<int>(file.handle)) == 0;
  file.handle = -1;
  return flushed && closed;
}

void closeFile(OutputFile &file) {
  if (file.handle < 0) return;
  ::close(static_cast<int>(file.handle));
  file.handle = -1;
}

bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

std::u16string lastFileError() {
  return fromUtf8(std::generic_category().message(errno));
}

}  // namespace hengdian
