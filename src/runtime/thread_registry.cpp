#include "runtime/thread_registry.h"

namespace hengdian {}  // namespace hengdian
