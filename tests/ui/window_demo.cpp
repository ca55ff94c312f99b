// window-demo: the main window against the stand-in sites with their sample standards, for
// screenshots and for trying the window by hand. It enters the samples, runs a check and prints
// "ready" once the check is done; with --downloads it then downloads every row into a temporary
// folder and shows the download settings tab before it prints "ready"; with --report it shows the
// 标准查新 tab and looks for the versions in force first. It runs until the window is closed.

#include <wx/app.h>
#include <wx/cmdline.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "runtime/code_page.h"
#include "support/stand_in_samples.h"
#include "support/stand_in_sites.h"
#include "ui/main_window.h"
#include "ui/wx_text.h"
#include "web/http.h"

namespace {

using hengdian::MainWindow;

class DemoApp : public wxApp {
 public:
  bool OnInit() override {
    for (int i = 1; i < argc; ++i) {
      if (argv[i] == "--portal") portal_ = true;
      if (argv[i] == "--downloads") downloads_ = true;
      if (argv[i] == "--report") report_ = true;
    }
    sites_ = std::make_unique<hengdian::testing::StandInSites>();
    hengdian::testing::serveSamples(*sites_);

    hengdian::QuerySettings settings;
    settings.hosts[hengdian::Site::Library] = hengdian::u16(sites_->libraryHost());
    settings.hosts[hengdian::Site::Portal] = hengdian::u16(sites_->portalHost());
    settings.http.caFile = sites_->caFile();
    hengdian::WindowSeams seams = hengdian::programSeams();
    seams.openInBrowser = [](const std::u16string &address) {
      std::printf("open %s\n", hengdian::toUtf8(address).c_str());
      std::fflush(stdout);
    };
    seams.showMessage = [](wxWindow *, const std::u16string &, const std::u16string &text,
                           hengdian::MessageKind) {
      std::printf("message %s\n", hengdian::toUtf8(text).c_str());
      std::fflush(stdout);
    };
    seams.downloadPause = std::chrono::milliseconds(100);
    window_ = hengdian::createMainWindow(settings, seams);

    window_->search.siteChooser->SetSelection(portal_ ? 1 : 0);
    window_->search.inputEditor->ChangeValue(
        hengdian::toWx(u"GB/T 5490-2010\t粮油检验 一般规则\nGB/T 5491-1985\nGB/T 99999-2099\n"));
    press(window_->search.checkButton);
    Bind(wxEVT_IDLE, &DemoApp::onIdle, this);
    return true;
  }

 private:
  static void press(wxWindow *button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
  }

  void onIdle(wxIdleEvent &event) {
    event.RequestMore();
    wxMilliSleep(10);
    if (ready_ ||
        hengdian::fromWx(window_->search.resultsFrame->GetLabelText()) != u"查询得到信息：已加载完成。")
      return;
    if (report_ && !lookedForCurrent_) {
      window_->mainPanel->SetSelection(2);
      press(window_->report.searchButton);
      lookedForCurrent_ = true;
    }
    if (report_ && window_->report.cancelButton->IsShown()) return;
    ready_ = true;
    if (downloads_) download();
    std::printf("ready\n");
    std::fflush(stdout);
  }

  void download() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "hengdian-demo-downloads";
    std::filesystem::create_directories(folder);
    window_->downloads.folderField->ChangeValue(wxString::FromUTF8((folder.string() + "/").c_str()));
    window_->downloads.noticeBox->SetValue(false);
    window_->search.resultsEditor->SetInsertionPoint(0);
    wxCommandEvent choice(wxEVT_MENU, hengdian::MenuDownloadAll);
    window_->GetEventHandler()->ProcessEvent(choice);
    if (window_->downloads.confirmButton->IsShown()) press(window_->downloads.confirmButton);
    window_->mainPanel->SetSelection(1);
  }

  bool portal_ = false;
  bool downloads_ = false;
  bool report_ = false;
  bool lookedForCurrent_ = false;
  bool ready_ = false;
  std::unique_ptr<hengdian::testing::StandInSites> sites_;
  MainWindow *window_ = nullptr;
};

}  // namespace

wxIMPLEMENT_APP(DemoApp);
