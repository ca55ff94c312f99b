// Windows: every downloaded file's name made one Windows can hold.

#include "downloads/windows_file_name.h"

namespace hengdian {

std::u16string platformFileName(std::u16string_view name) {
  return windowsFileName(name);
}

}  // namespace hengdian
