#include "cli/input_file.h"

namespace hengdian::cli {}  // namespace hengdian::cli
