#include "downloads/naming_rule.h"

namespace hengdian {}  // namespace hengdian
