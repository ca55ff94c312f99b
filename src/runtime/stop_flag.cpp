#include "runtime/stop_flag.h"

namespace hengdian {}  // namespace hengdian
