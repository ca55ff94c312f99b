#include "runtime/code_page.h"

namespace hengdian {}  // namespace hengdian
