#include "lookup/result_parser.h"

namespace hengdian {}  // namespace hengdian
