#include "lookup/result_row.h"

namespace hengdian {}  // namespace hengdian
