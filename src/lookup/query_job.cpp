#include "lookup/query_job.h"

namespace hengdian {}  // namespace hengdian
