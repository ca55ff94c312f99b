#include "runtime/date.h"

namespace hengdian {}  // namespace hengdian
