// Windows files: CreateFileW, WriteFile, FlushFileBuffers, CloseHandle, MoveFileExW.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <string>

#include "runtime/code_page.h"
#include "web/file_output.h"

namespace hengdian {

namespace {

/// The most one WriteFile call is given.
constexpr std::size_t kWriteLimit = 1 << 30;

HANDLE handleOf(const OutputFile &file) {
  return reinterpret_cast<HANDLE>(file.handle);
}

}  // namespace

bool createNewFile(const std::filesystem::path &path, OutputFile &file) {
  const HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  return true;
}

bool writeToFile(OutputFile &file, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto size = static_cast<DWORD>(std::min(bytes.size(), kWriteLimit));
    DWORD written = 0;
    if (!WriteFile(handleOf(file), bytes.data(), size, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool flushAndCloseFile(OutputFile &file) {
  if (file.handle == -1) return false;
  const bool flushed = FlushFileBuffers(handleOf(file)) != 0;
  const bool closed = CloseHandle(handleOf(file)) != 0;
  file.handle = -1;
  return flushed && closed;
}

void closeFile(OutputFile &file) {
  if (file.handle == -1) return;
  CloseHandle(handleOf(file));
  file.handle = -1;
}

bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::u16string lastFileError() {
  const DWORD code = GetLastError();
  wchar_t *text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  std::u16string message;
  if (text != nullptr) message.assign(reinterpret_cast<const char16_t *>(text), length);
  LocalFree(text);
  // The system's sentences end with a line break.
  while (!message.empty() && (message.back() == u'\r' || message.back() == u'\n' || message.back() == u' '))
    message.pop_back();
  if (message.empty()) return fromUtf8("Windows error " + std::to_string(code));
  return message;
}

}  // namespace hengdian
