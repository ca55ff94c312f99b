#include <windows.h>
// shlobj.h needs the declarations of windows.h before it.
#include <shlobj.h>

#include <string>

#include "runtime/desktop_folder.h"

namespace hengdian {
namespace {

std::u16string fromWide(const wchar_t *text) {
  std::u16string out;
  for (; *text != L'\0'; ++text)
    out.push_back(static_cast<char16_t>(*text));
  return out;
}

// The shell's desktop folder, "" when the shell cannot name it.
std::u16string shellDesktop() {
  PIDLIST_ABSOLUTE list = nullptr;
  if (FAILED(SHGetFolderLocation(nullptr, CSIDL_DESKTOP, nullptr, 0, &list)) || list == nullptr) return {};
  wchar_t path[MAX_PATH + 1] = {};
  BOOL named = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  return named ? fromWide(path) : std::u16string{};
}

}  // namespace

std::u16string desktopFolder() {
  std::u16string folder = shellDesktop();
  if (folder.empty()) {
    // The profile's own Desktop folder, for a session without a shell (a service account).
    wchar_t profile[MAX_PATH + 1] = {};
    DWORD length = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH) folder = fromWide(profile) + u"\\Desktop";
  }
  if (!folder.empty() && folder.back() != u'\\') folder.push_back(u'\\');
  return folder;
}

}  // namespace hengdian
