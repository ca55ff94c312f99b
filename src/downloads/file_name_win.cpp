// Windows: every downloaded file's name made one Windows can hold, and names told apart
// without regard to letter case.

#include "downloads/windows_file_name.h"
#include "runtime/text.h"

namespace hengdian {

std::u16string platformFileName(std::u16string_view name) {
  return windowsFileName(name);
}

std::u16string platformPathKey(std::u16string_view path) {
  return lowerCase(path);
}

}  // namespace hengdian
