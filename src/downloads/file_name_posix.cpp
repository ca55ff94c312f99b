// POSIX file systems take any name without "/" and NUL, so the names stay as the rule made them,
// and tell letter cases apart.

#include "downloads/windows_file_name.h"

namespace hengdian {

std::u16string platformFileName(std::u16string_view name) {
  return std::u16string(name);
}

std::u16string platformPathKey(std::u16string_view path) {
  return std::u16string(path);
}

}  // namespace hengdian
