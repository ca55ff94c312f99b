// POSIX file systems take any name without "/" and NUL, so the names stay as the rule made them.

#include "downloads/windows_file_name.h"

namespace hengdian {

std::u16string platformFileName(std::u16string_view name) {
  return std::u16string(name);
}

}  // namespace hengdian
