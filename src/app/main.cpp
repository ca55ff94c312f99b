// The program's entry: one window, built with the sites of the build configuration. It reads no
// command line, environment or settings, and keeps nothing between runs.

#include <wx/app.h>

#include <cstdio>
#include <cstdlib>

#include "lookup/query_job.h"
#include "ui/main_window.h"
#include "ui/toolkit_alarms.h"

namespace {

class HengdianApp : public wxApp {
 public:
  // Made before wx starts the toolkit, which is when its messages can still be filtered.
  HengdianApp() { hengdian::quietKnownToolkitAlarms(); }

  bool OnInit() override {
    hengdian::createMainWindow(hengdian::defaultQuerySettings(), hengdian::programSeams());
    return true;
  }

  // The main window has closed. A check still waiting on a slow site is not waited for: the
  // process ends here, before anything the worker might still touch is torn down.
  int OnExit() override {
    std::fflush(nullptr);
    std::_Exit(0);
  }
};

}  // namespace

wxIMPLEMENT_APP(HengdianApp);
