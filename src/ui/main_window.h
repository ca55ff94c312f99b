#pragma once
// The main window: the main panel with the search tab and the download settings tab, the popup
// menu of the results editor, and the state the commands share (the result table, the worker
// threads, the check and the armed download).

#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "downloads/download_run.h"
#include "hengdian/version.h"
#include "lookup/current_search.h"
#include "lookup/query_job.h"
#include "lookup/report_table.h"
#include "lookup/result_table.h"
#include "runtime/date.h"
#include "runtime/stop_flag.h"
#include "runtime/thread_registry.h"
#include "ui/download_tab.h"
#include "ui/event_routing.h"
#include "ui/pane_splitter.h"
#include "ui/report_tab.h"
#include "ui/ui_post.h"

namespace hengdian {

inline constexpr std::u16string_view kWindowTitle = u"衡典 v" HENGDIAN_VERSION;
inline constexpr std::u16string_view kResultsCaption = u"查询得到信息";
/// The title of every message box a download shows.
inline constexpr std::u16string_view kDownloadMessageTitle = u"下载提示";

/// A plain box or one with the error icon.
enum class MessageKind { Plain, Error };

/// The armed download, kept between the menu command and the confirm button: one row or all.
struct DownloadJob {
  DownloadMode mode = DownloadMode::Single;
  std::size_t rowIndex = 0;
};

/// What the window asks of the world outside it. The program fills these with the system's
/// browser, folder chooser and message boxes; tests answer them without opening anything.
struct WindowSeams {
  /// Opens a web address in the user's browser.
  std::function<void(const std::u16string &address)> openInBrowser;
  /// The folder chooser, owned by `owner`: the chosen folder with a trailing separator, or "".
  std::function<std::u16string(wxWindow *owner)> chooseFolder;
  /// A message box titled `title`, owned by `owner`, with the error icon or none.
  std::function<void(wxWindow *owner, const std::u16string &title, const std::u16string &text,
                     MessageKind kind)>
      showMessage;
  /// The clock of the download log's time stamps.
  std::function<DateValue()> clock = currentDate;
  /// The download's pause before its one retry.
  std::chrono::milliseconds downloadPause{10100};
  /// The save dialog of the 标准查新 export, owned by `owner`: the chosen file, or "".
  std::function<std::u16string(wxWindow *owner)> chooseExportFile;
  /// Puts `text` on the clipboard.
  std::function<void(const std::u16string &text)> copyText;
  /// Serves the window's own events while a download runs: painting and sizing, and the close
  /// request; the user's clicks and keys wait until the run is over.
  std::function<void()> serveWindowEvents;
};

/// The seams of the real program.
WindowSeams programSeams();

/// The controls of the search tab; they belong to the user interface thread.
struct SearchTab {
  wxPanel *page = nullptr;
  wxStaticText *siteLabel = nullptr;
  wxChoice *siteChooser = nullptr;
  wxButton *checkButton = nullptr;
  wxPanel *inputPane = nullptr;
  wxStaticBox *inputFrame = nullptr;
  wxTextCtrl *inputEditor = nullptr;
  wxPanel *resultsPane = nullptr;
  wxStaticBox *resultsFrame = nullptr;
  wxTextCtrl *resultsEditor = nullptr;
  PaneSplitter *paneSplitter = nullptr;
};

/// The program's only top-level window. Everything in it runs on the user interface thread.
class MainWindow : public wxFrame {
 public:
  MainWindow(const QuerySettings &settings, const WindowSeams &seams);
  ~MainWindow() override;

  /// Fits the controls to the current sizes; running it again changes nothing.
  void layoutMainWindow();

  /// Hands `event` to the routing; false when the window is to close.
  bool dispatch(const AppEvent &event);

  /// The index of the row whose line holds the start of the results editor's selection.
  std::size_t currentRow() const;

  /// Whether a right-button release is to show the popup menu: the results editor has the
  /// keyboard focus and the pointer lies within it.
  bool rowMenuWanted() const;

  /// Sets the menu's items for the current row.
  void prepareRowMenu();

  /// The popup menu for the current row, when it is wanted.
  void showRowMenu();

  void openRowPage();
  void openRowPreview();
  void chooseDownloadFolder();

  /// Menu items 3 and 4: when the current row's site serves files, arms a download of that row
  /// or of all rows and shows the download settings tab with the confirm button.
  void armDownload(DownloadMode mode);
  /// The confirm button: runs the armed download on this thread, one file after another, with
  /// the tab's settings; then a box when the notice box is ticked, and back to the search tab.
  void runDownload();

  /// The check's view of this window.
  LookupView lookupView();

  /// The results text shown anew, the user's caret and selection kept.
  void setResultsText(const std::u16string &text);
  /// The results text extended by `tail`, the user's caret and selection kept.
  void appendResultsText(const std::u16string &tail);

  /// A new check: stops a look for the versions in force and empties the 标准查新 table.
  void beginReport();
  /// "查找现行版本": looks for the versions in force of the rows that need one, on worker threads.
  void findCurrentVersions();
  /// "取消": stops the look; what it found so far stays.
  void cancelCurrentSearch();
  /// The look has ended, by itself or by "取消": hides its progress and shows the table in order.
  void endCurrentSearch();
  /// "导出…": writes the table to the file the save dialog names.
  void exportReport();
  /// Opens the page of the table's shown row `item` (its double-click).
  void openReportPage(long item);
  /// The menu of the table's shown row `item`.
  void showReportRowMenu(long item);

  /// Binds the layout to size changes and the controls' events to the routing.
  void installHooks();

  wxNotebook *mainPanel = nullptr;
  SearchTab search;
  DownloadTab downloads;
  ReportTab report;
  ReportTable reportTable;
  std::unique_ptr<wxMenu> popupMenu;

  ResultTable table;
  ThreadRegistry threads;

 private:
  void createSearchTab();
  void onClose(wxCloseEvent &event);
  void keepSelection(const std::function<void()> &change);

  QuerySettings settings_;
  WindowSeams seams_;
  std::shared_ptr<PostTarget> postTarget_;
  std::unique_ptr<QueryJob> queryJob_;
  std::unique_ptr<CurrentSearchJob> currentJob_;
  DownloadJob downloadJob_;
  bool downloadRunning_ = false;
  StopFlag closeRequested_;  // raised by a close request that came while a download ran
  AppCommands commands_;
};

/// Creates the main window with its controls, lays it out, installs the layout hooks and shows
/// it, centred and activated. UI thread.
MainWindow *createMainWindow(const QuerySettings &settings, const WindowSeams &seams);

}  // namespace hengdian
