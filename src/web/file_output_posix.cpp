// POSIX files: a descriptor on the folder, and openat, write, fsync, renameat and unlinkat
// relative to it.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "runtime/code_page.h"
#include "web/file_output.h"

namespace hengdian {

namespace {

// A folder that may be written and entered but not listed can still be held open where the
// system knows O_PATH.
#ifdef O_PATH
constexpr int kFolderAccess = O_PATH;
#else
constexpr int kFolderAccess = O_RDONLY;
#endif

int descriptorOf(std::intptr_t handle) {
  return static_cast<int>(handle);
}

void closeDescriptor(std::intptr_t &handle) {
  if (handle < 0) return;
  ::close(descriptorOf(handle));
  handle = -1;
}

}  // namespace

bool openFolder(const std::filesystem::path &path, OutputFolder &folder) {
  const int descriptor = ::open(path.empty() ? "." : path.c_str(), kFolderAccess | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  folder.handle = descriptor;
  return true;
}

void closeFolder(OutputFolder &folder) {
  closeDescriptor(folder.handle);
}

CreateOutcome createNewFile(const OutputFolder &folder, const std::filesystem::path &name, OutputFile &file) {
  const int descriptor =
      ::openat(descriptorOf(folder.handle), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) return errno == EEXIST ? CreateOutcome::NameTaken : CreateOutcome::Failed;
  file.handle = descriptor;
  file.name = name;
  return CreateOutcome::Created;
}

bool writeToFile(OutputFile &file, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptorOf(file.handle), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool flushFile(OutputFile &file) {
  if (file.handle < 0) return false;
  const bool flushed = ::fsync(descriptorOf(file.handle)) == 0;
  // Some file systems report a failed write only when the file is closed.
  const bool closed = ::close(descriptorOf(file.handle)) == 0;
  file.handle = -1;
  return flushed && closed;
}

bool moveIntoPlace(const OutputFolder &folder, OutputFile &file, const std::filesystem::path &target) {
  closeDescriptor(file.handle);
  const int descriptor = descriptorOf(folder.handle);
  if (::renameat(descriptor, file.name.c_str(), descriptor, target.c_str()) != 0) return false;
  file.name.clear();
  return true;
}

void discardFile(const OutputFolder &folder, OutputFile &file) {
  closeDescriptor(file.handle);
  if (file.name.empty()) return;
  ::unlinkat(descriptorOf(folder.handle), file.name.c_str(), 0);
  file.name.clear();
}

std::u16string lastFileError() {
  return fromUtf8(std::generic_category().message(errno));
}

}  // namespace hengdian
