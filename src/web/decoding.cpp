#include "web/decoding.h"

namespace hengdian {}  // namespace hengdian
