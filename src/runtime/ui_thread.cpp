#include "runtime/ui_thread.h"

namespace hengdian {}  // namespace hengdian
