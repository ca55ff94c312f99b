// The window tests' entry: wx is started once for the whole run, with an event loop the tests
// pump. Listing the tests needs no display, so CTest can discover them while building.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>

#include <cstdio>

#include "ui/toolkit_alarms.h"

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  hengdian::quietKnownToolkitAlarms();
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "gui_tests: the window system cannot be started (no display?)\n");
    return 1;
  }
  int result = 0;
  {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    result = RUN_ALL_TESTS();
  }
  wxEntryCleanup();
  return result;
}
