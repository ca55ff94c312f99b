#include "web/http.h"

namespace hengdian {}  // namespace hengdian
