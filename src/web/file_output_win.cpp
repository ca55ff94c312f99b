// Windows files: the folder opened as a handle (FILE_FLAG_BACKUP_SEMANTICS), the file made relative
// to it (NtCreateFile with the folder as root), written with WriteFile, flushed with
// FlushFileBuffers, renamed relative to the folder (NtSetInformationFile) and deleted through its
// own handle (FileDispositionInfo).

#include "runtime/windows_api.h"
// windows.h first: winternl.h builds on its types.
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/code_page.h"
#include "web/file_output.h"

namespace hengdian {

namespace {

/// The most one WriteFile call is given.
constexpr std::size_t kWriteLimit = 1 << 30;
constexpr NTSTATUS kNameCollision = static_cast<NTSTATUS>(0xC0000035L);  // STATUS_OBJECT_NAME_COLLISION

HANDLE handleOf(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

void closeHandle(std::intptr_t &handle) {
  if (handle == -1) return;
  CloseHandle(handleOf(handle));
  handle = -1;
}

/// A bare file name as the native calls take it; its length in bytes must fit a USHORT.
UNICODE_STRING unicodeString(const std::wstring &text) {
  const auto bytes = static_cast<USHORT>(std::min<std::size_t>(text.size() * sizeof(wchar_t), 0xFFFE));
  return UNICODE_STRING{bytes, bytes, const_cast<wchar_t *>(text.c_str())};
}

/// Makes the failure of a native call the thread's last error, for `lastFileError`.
bool failedWith(NTSTATUS status) {
  SetLastError(RtlNtStatusToDosError(status));
  return false;
}

}  // namespace

bool openFolder(const std::filesystem::path &path, OutputFolder &folder) {
  // Others may still rename or delete the folder; the file follows the handle, not the path.
  const HANDLE handle = CreateFileW(path.empty() ? L"." : path.c_str(),
                                    FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  folder.handle = reinterpret_cast<std::intptr_t>(handle);
  return true;
}

void closeFolder(OutputFolder &folder) {
  closeHandle(folder.handle);
}

CreateOutcome createNewFile(const OutputFolder &folder, const std::filesystem::path &name, OutputFile &file) {
  const std::wstring text = name.native();
  UNICODE_STRING nativeName = unicodeString(text);
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &nativeName, OBJ_CASE_INSENSITIVE, handleOf(folder.handle),
                             nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  // DELETE lets the file be renamed and removed through this handle.
  const NTSTATUS status = NtCreateFile(&handle, GENERIC_WRITE | DELETE | SYNCHRONIZE, &attributes, &io,
                                       nullptr, FILE_ATTRIBUTE_NORMAL, 0, FILE_CREATE,
                                       FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status < 0) {
    failedWith(status);
    return status == kNameCollision ? CreateOutcome::NameTaken : CreateOutcome::Failed;
  }
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  file.name = name;
  return CreateOutcome::Created;
}

bool writeToFile(OutputFile &file, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto size = static_cast<DWORD>(std::min(bytes.size(), kWriteLimit));
    DWORD written = 0;
    if (!WriteFile(handleOf(file.handle), bytes.data(), size, &written, nullptr) || written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool flushFile(OutputFile &file) {
  return file.handle != -1 && FlushFileBuffers(handleOf(file.handle)) != 0;
}

bool moveIntoPlace(const OutputFolder &folder, OutputFile &file, const std::filesystem::path &target) {
  if (file.handle == -1) return false;
  const std::wstring text = target.native();
  // FILE_RENAME_INFO ends in the name's first character; the rest of the name follows it.
  std::vector<std::byte> buffer(offsetof(FILE_RENAME_INFO, FileName) + (text.size() + 1) * sizeof(wchar_t));
  auto *rename = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = handleOf(folder.handle);
  rename->FileNameLength = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  std::memcpy(buffer.data() + offsetof(FILE_RENAME_INFO, FileName), text.data(), rename->FileNameLength);
  IO_STATUS_BLOCK io{};
  const NTSTATUS status = NtSetInformationFile(handleOf(file.handle), &io, rename,
                                               static_cast<ULONG>(buffer.size()), FileRenameInformation);
  if (status < 0) return failedWith(status);
  closeHandle(file.handle);
  file.name.clear();
  return true;
}

void discardFile(const OutputFolder &, OutputFile &file) {
  if (file.handle != -1 && !file.name.empty()) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(handleOf(file.handle), FileDispositionInfo, &disposition, sizeof disposition);
  }
  closeHandle(file.handle);
  file.name.clear();
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
