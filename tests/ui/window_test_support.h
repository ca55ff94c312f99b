#pragma once
// What the window tests share: pumping the event loop, a window against the stand-in sites with
// recording seams, and plain rectangles for geometry checks.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/code_page.h"
#include "support/test_helpers.h"
#include "ui/main_window.h"
#include "ui/wx_text.h"

namespace hengdian::testing {

/// Runs the window system's events until `done` holds; whether it came to hold in time.
inline bool pumpUntil(const std::function<bool()> &done,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    wxTheApp->ProcessPendingEvents();
    wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
    wxTheApp->ProcessIdle();  // also deletes windows that were destroyed
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

/// Runs the window system's events for `duration`, so that sizes the toolkit hands out later
/// arrive.
inline void pumpFor(std::chrono::milliseconds duration) {
  pumpUntil([] { return false; }, duration);
}

/// A main window against the stand-in sites; every address it opens and every box it shows is
/// recorded instead.
class WindowTest : public SitesTest {
 protected:
  void SetUp() override {
    SitesTest::SetUp();
    QuerySettings settings;
    settings.hosts = {{u16(sites.libraryHost()), u16(sites.portalHost())}};
    settings.retryWait = std::chrono::milliseconds(1);
    settings.http = http;
    WindowSeams seams;
    seams.openInBrowser = [this](const std::u16string &address) { opened.push_back(address); };
    seams.chooseFolder = [this](wxWindow *) { return chosenFolder; };
    seams.showMessage = [this](wxWindow *, const std::u16string &, const std::u16string &text,
                               MessageKind kind) {
      boxes.push_back((kind == MessageKind::Error ? u"error:" : u"plain:") + text);
    };
    seams.clock = [] { return DateValue{1714571107}; };  // 2024-05-01 13:45:07
    seams.downloadPause = std::chrono::milliseconds(1);
    seams.chooseExportFile = [this](wxWindow *) { return exportFile; };
    seams.copyText = [this](const std::u16string &text) { copied = text; };
    seams.serveWindowEvents = [this] {
      if (duringDownload) duringDownload();
    };
    window = createMainWindow(settings, seams);
    pumpFor(std::chrono::milliseconds(300));
  }

  void TearDown() override {
    if (window) window->Destroy();
    pumpFor(std::chrono::milliseconds(50));
    SitesTest::TearDown();
  }

  /// Presses `button` as the user would.
  void press(wxWindow *button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
  }

  /// Chooses popup-menu item `id`.
  void choose(int id) {
    wxCommandEvent choice(wxEVT_MENU, id);
    window->GetEventHandler()->ProcessEvent(choice);
  }

  /// Puts the results editor's caret at the start of line `line`.
  void caretToLine(long line) {
    window->search.resultsEditor->SetInsertionPoint(window->search.resultsEditor->XYToPosition(0, line));
  }

  std::u16string resultsText() const { return fromWx(window->search.resultsEditor->GetValue()); }
  std::u16string caption() const { return fromWx(window->search.resultsFrame->GetLabelText()); }

  MainWindow *window = nullptr;
  std::vector<std::u16string> opened;
  std::vector<std::u16string> boxes;
  std::u16string chosenFolder;
  std::u16string exportFile;             // what the export's save dialog answers
  std::u16string copied;                 // what was put on the clipboard
  std::function<void()> duringDownload;  // what the user does while a download runs
};

}  // namespace hengdian::testing
