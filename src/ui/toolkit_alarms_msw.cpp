#include "ui/toolkit_alarms.h"

namespace hengdian {

void quietKnownToolkitAlarms() {}

}  // namespace hengdian
