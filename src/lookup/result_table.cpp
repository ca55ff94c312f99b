#include "lookup/result_table.h"

namespace hengdian {}  // namespace hengdian
