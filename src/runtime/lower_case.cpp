#include "runtime/text.h"

namespace hengdian {}  // namespace hengdian
