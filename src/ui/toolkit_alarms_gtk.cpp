#include <wx/app.h>

#include "ui/toolkit_alarms.h"

namespace hengdian {

void quietKnownToolkitAlarms() {
  wxApp::GTKAllowDiagnosticsControl();
}

}  // namespace hengdian
