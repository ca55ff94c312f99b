#include "runtime/desktop_folder.h"

namespace hengdian {}  // namespace hengdian
