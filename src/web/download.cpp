#include "web/download.h"

namespace hengdian {}  // namespace hengdian
