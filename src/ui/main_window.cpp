#include "ui/main_window.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dirdlg.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/fontenum.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include <algorithm>
#include <filesystem>

#include "runtime/desktop_folder.h"
#include "ui/fitted_controls.h"
#include "ui/row_menu.h"
#include "ui/window_icon.h"
#include "ui/wx_text.h"

namespace hengdian {

namespace {

constexpr int kClientWidth = 1280;
constexpr int kClientHeight = 700;
constexpr int kTopRowHeight = 35;  // the site chooser's row above the pane splitter

/// The popup menu's items, by id.
constexpr std::pair<MenuItem, std::u16string_view> kMenuItems[] = {
    {MenuOpenPage, u"查看标准网页"},    {MenuPreview, u"预览标准"}, {MenuDownloadOne, u"下载当前标准"},
    {MenuDownloadAll, u"批量下载标准"}, {MenuCancel, u"取消操作"},
};

/// A system metric, 0 where the platform does not report it.
int systemMetric(wxSystemMetric metric, wxWindow *window) {
  return std::max(0, wxSystemSettings::GetMetric(metric, window));
}

/// A group box whose caption is shown as it is ("&" included).
wxStaticBox *createFrame(wxWindow *parent, std::u16string_view caption) {
  auto *frame = new wxStaticBox(parent, wxID_ANY, wxString(), {5, 5}, {620, 630});
  frame->SetLabelText(toWx(caption));
  return frame;
}

}  // namespace

WindowSeams programSeams() {
  WindowSeams seams;
  seams.openInBrowser = [](const std::u16string &address) { wxLaunchDefaultBrowser(toWx(address)); };
  seams.chooseFolder = [](wxWindow *owner) -> std::u16string {
    wxDirDialog chooser(owner, toWx(u"请选择标准下载保存的目录："), toWx(desktopFolder()),
                        wxDD_DEFAULT_STYLE | wxDD_NEW_DIR_BUTTON);
    if (chooser.ShowModal() != wxID_OK || chooser.GetPath().empty()) return u"";
    wxString path = chooser.GetPath();
    if (!wxFileName::IsPathSeparator(path.Last())) path += wxFileName::GetPathSeparator();
    return fromWx(path);
  };
  seams.showMessage = [](wxWindow *owner, const std::u16string &title, const std::u16string &text,
                         MessageKind kind) {
    wxMessageBox(toWx(text), toWx(title), wxOK | (kind == MessageKind::Error ? wxICON_ERROR : wxICON_NONE),
                 owner);
  };
  seams.chooseExportFile = [](wxWindow *owner) -> std::u16string {
    wxFileDialog chooser(owner, toWx(u"导出标准查新表"), wxString(), toWx(u"标准查新.xlsx"),
                         toWx(u"Excel 工作簿 (*.xlsx)|*.xlsx|CSV 文件 (*.csv)|*.csv"),
                         wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (chooser.ShowModal() != wxID_OK) return u"";
    wxFileName file(chooser.GetPath());
    // A name typed without its extension gets the chosen type's.
    if (!file.HasExt()) file.SetExt(chooser.GetFilterIndex() == 1 ? wxS("csv") : wxS("xlsx"));
    return fromWx(file.GetFullPath());
  };
  seams.copyText = [](const std::u16string &text) {
    if (!wxTheClipboard->Open()) return;
    wxTheClipboard->SetData(new wxTextDataObject(toWx(text)));
    wxTheClipboard->Close();
  };
  // While a file is fetched the window keeps painting and resizing; the user's clicks and keys
  // wait in the queue until the run is over, so no command starts inside it.
  seams.serveWindowEvents = [] {
    wxEventLoopBase *loop = wxEventLoopBase::GetActive();
    if (loop && !loop->IsYielding()) loop->YieldFor(wxEVT_CATEGORY_UI);
  };
  return seams;
}

MainWindow::MainWindow(const QuerySettings &settings, const WindowSeams &seams)
    : wxFrame(nullptr, wxID_ANY, toWx(kWindowTitle), wxPoint(0, 0), wxDefaultSize),
      settings_(settings),
      seams_(seams),
      postTarget_(std::make_shared<PostTarget>()) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  SetIcons(programIcons());
  SetClientSize(kClientWidth, kClientHeight);

  popupMenu = std::make_unique<wxMenu>();
  for (const auto &[id, text] : kMenuItems)
    popupMenu->Append(id, toWx(text));

  mainPanel = new wxNotebook(this, wxID_ANY, {0, 0}, {kClientWidth, kClientHeight}, wxNB_TOP);
  createSearchTab();
  downloads = createDownloadTab(mainPanel);
  report = createReportTab(mainPanel, reportTable);
  mainPanel->SetSelection(0);

  queryJob_ =
      std::make_unique<QueryJob>(QueryJob{threads, table, lookupView(), wxUiPost(postTarget_), settings_});
  CurrentSearchView found;
  found.showFinding = [this](std::size_t index, const CurrentFinding &finding, std::size_t done,
                             std::size_t) {
    reportTable.entries[index].current = finding;
    report.progress->SetValue(static_cast<int>(done));
    report.list->Refresh();
  };
  found.showEnd = [this] { endCurrentSearch(); };
  currentJob_ = std::make_unique<CurrentSearchJob>(
      CurrentSearchJob{threads, std::move(found), wxUiPost(postTarget_), settings_});
  commands_.showRowMenu = [this] { showRowMenu(); };
  commands_.startCheck = [this] {
    beginReport();
    startCheck(*queryJob_);
  };
  commands_.chooseDownloadFolder = [this] { chooseDownloadFolder(); };
  commands_.openRowPage = [this] { openRowPage(); };
  commands_.openRowPreview = [this] { openRowPreview(); };
  commands_.armSingleDownload = [this] { armDownload(DownloadMode::Single); };
  commands_.armBatchDownload = [this] { armDownload(DownloadMode::Batch); };
  commands_.confirmDownload = [this] { runDownload(); };
  commands_.currentRowSite = [this] { return table.row(currentRow()).site; };
  commands_.findCurrentVersions = [this] { findCurrentVersions(); };
  commands_.cancelCurrentSearch = [this] { cancelCurrentSearch(); };
  commands_.exportReport = [this] { exportReport(); };

  // The user cannot drag the window smaller than 800 × 600 plus the sizing borders.
  SetMinSize(wxSize(800 + 2 * systemMetric(wxSYS_FRAMESIZE_X, this),
                    600 + 2 * systemMetric(wxSYS_FRAMESIZE_Y, this)));
}

MainWindow::~MainWindow() {
  // The check's worker is abandoned, not waited for: once its flag is up it writes nothing, and
  // nothing it posted runs any more.
  if (queryJob_ && isThreadRunning(threads, queryJob_->runningThread))
    stopThread(threads, queryJob_->runningThread);
  if (currentJob_) stopCurrentSearch(*currentJob_);
  closePostTarget(*postTarget_);
}

void MainWindow::createSearchTab() {
  search.page = new wxPanel(mainPanel);
  mainPanel->AddPage(search.page, toWx(u"衡典"));
  wxPanel *page = search.page;

  search.siteLabel =
      new wxStaticText(page, wxID_ANY, wxString(), {10, 9}, {120, 25}, wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
  search.siteLabel->SetLabelText(toWx(u"选择标准检索网站："));
  wxArrayString sites;
  for (const Site site : kSites)
    sites.Add(toWx(siteDescription(site).chooserText));
  search.siteChooser = new wxChoice(page, wxID_ANY, {130, 5}, {90, 25}, sites);
  search.siteChooser->SetSelection(static_cast<int>(Site::Library));
  search.checkButton = new wxButton(page, wxID_ANY, toWx(u"检查标准信息"), {225, 5}, {120, 25});
  fitToLayoutSize(search.siteChooser);
  fitToLayoutSize(search.checkButton);

  search.inputPane = new wxPanel(page, wxID_ANY, {0, 0}, {600, 700}, wxBORDER_NONE);
  search.inputFrame = createFrame(search.inputPane, u"输入需检查的标准信息");
  search.inputEditor = createTextArea(search.inputPane, {10, 25}, {600, 600});
  search.resultsPane = new wxPanel(page, wxID_ANY, {0, 0}, {680, 700}, wxBORDER_NONE);
  search.resultsFrame = createFrame(search.resultsPane, kResultsCaption);
  search.resultsEditor = createTextArea(search.resultsPane, {10, 25}, {600, 600});

  // The two editors get "宋体" 9 pt where that face exists; otherwise both keep the default font.
  if (wxFontEnumerator::IsValidFacename(toWx(u"宋体"))) {
    const wxFont songti(9, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                        toWx(u"宋体"));
    if (songti.IsOk()) {
      search.inputEditor->SetFont(songti);
      search.resultsEditor->SetFont(songti);
    }
  }

  const wxSize pageSize = page->GetClientSize();
  search.paneSplitter = new PaneSplitter(page, {0, kTopRowHeight}, {pageSize.x, pageSize.y - kTopRowHeight});
  search.paneSplitter->setPanes(search.inputPane, search.resultsPane);
}

void MainWindow::layoutMainWindow() {
  const wxSize client = GetClientSize();
  fitControl(mainPanel, wxRect(0, 0, client.x, client.y));
  const wxSize page = search.page->GetClientSize();  // PW × PH

  fitControl(search.paneSplitter, wxRect(0, kTopRowHeight, page.x, page.y - kTopRowHeight));
  search.paneSplitter->placePanes();

  const int leftWidth = search.inputPane->GetSize().x;
  fitControl(search.inputFrame,
             wxRect(search.inputFrame->GetPosition(), wxSize(leftWidth - 10, page.y - 45)));
  fitControl(search.inputEditor,
             wxRect(search.inputEditor->GetPosition(), wxSize(leftWidth - 20, page.y - 70)));
  const int rightWidth = search.resultsPane->GetSize().x;
  fitControl(search.resultsFrame,
             wxRect(search.resultsFrame->GetPosition(), wxSize(rightWidth - 10, page.y - 45)));
  fitControl(search.resultsEditor,
             wxRect(search.resultsEditor->GetPosition(), wxSize(rightWidth - 20, page.y - 70)));

  layoutDownloadTab(downloads, page.x, page.y);
  layoutReportTab(report, page.x, page.y);
}

void MainWindow::installHooks() {
  // Every size change of the window, a tab page or a pane lays the window out again; the
  // default processing follows in each case.
  for (wxWindow *window :
       {static_cast<wxWindow *>(this), static_cast<wxWindow *>(search.page),
        static_cast<wxWindow *>(downloads.page), static_cast<wxWindow *>(report.page),
        static_cast<wxWindow *>(search.inputPane), static_cast<wxWindow *>(search.resultsPane)}) {
    window->Bind(wxEVT_SIZE, [this](wxSizeEvent &event) {
      layoutMainWindow();
      event.Skip();
    });
  }

  Bind(wxEVT_CLOSE_WINDOW, &MainWindow::onClose, this);
  const auto command = [this](wxWindow *control, EventSource source) {
    control->Bind(wxEVT_BUTTON, [this, source](wxCommandEvent &) {
      dispatch({EventKind::Command, source, 0});
    });
  };
  command(search.checkButton, EventSource::CheckButton);
  command(downloads.folderButton, EventSource::FolderButton);
  command(downloads.confirmButton, EventSource::ConfirmButton);
  command(report.searchButton, EventSource::SearchCurrentButton);
  command(report.cancelButton, EventSource::CancelSearchButton);
  command(report.exportButton, EventSource::ExportButton);
  // Ctrl+S on the 标准查新 tab exports, as "导出…" does.
  const wxAcceleratorEntry exportKey(wxACCEL_CTRL, 'S', report.exportButton->GetId());
  report.page->SetAcceleratorTable(wxAcceleratorTable(1, &exportKey));
  report.page->Bind(
      wxEVT_MENU,
      [this](wxCommandEvent &) {
        dispatch({EventKind::Command, EventSource::ExportButton, 0});
      },
      report.exportButton->GetId());
  report.filterChooser->Bind(wxEVT_CHOICE, [this](wxCommandEvent &) {
    setReportFilter(reportTable, report.filterChooser->GetSelection() == 1 ? ReportFilter::NeedsAttention
                                                                           : ReportFilter::All);
    report.list->showTable();
  });
  report.list->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent &event) {
    if (event.GetColumn() < 0) return;
    sortReportBy(reportTable, static_cast<std::size_t>(event.GetColumn()));
    report.list->showTable();
  });
  report.list->Bind(wxEVT_LIST_ITEM_ACTIVATED,
                    [this](wxListEvent &event) { openReportPage(event.GetIndex()); });
  report.list->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK,
                    [this](wxListEvent &event) { showReportRowMenu(event.GetIndex()); });
  Bind(wxEVT_MENU, [this](wxCommandEvent &event) {
    dispatch({EventKind::MenuChoice, EventSource::None, event.GetId()});
  });

  // The results editor's menu is ours: the toolkit's own context menu never shows there.
  search.resultsEditor->Bind(wxEVT_CONTEXT_MENU, [](wxContextMenuEvent &) {});
  search.resultsEditor->Bind(wxEVT_RIGHT_UP, [this](wxMouseEvent &event) {
    dispatch({EventKind::RightButtonReleased, EventSource::None, 0});
    event.Skip();
  });
}

bool MainWindow::dispatch(const AppEvent &event) {
  return dispatchEvent(event, commands_);
}

void MainWindow::onClose(wxCloseEvent &event) {
  // A download run ends first: the transfer under way stops, no further row of a batch is
  // attempted, and the window closes as soon as the run returns.
  if (downloadRunning_) {
    closeRequested_.requestStop();
    event.Veto();
    return;
  }
  if (dispatch({EventKind::CloseRequest, EventSource::MainWindow, 0})) {
    event.Veto();
    return;
  }
  Destroy();
}

std::size_t MainWindow::currentRow() const {
  long from = 0;
  long to = 0;
  search.resultsEditor->GetSelection(&from, &to);
  long column = 0;
  long line = 0;
  if (search.resultsEditor->PositionToXY(from, &column, &line) && line >= 0)
    return static_cast<std::size_t>(line);
  return lineOfPosition(fromWx(search.resultsEditor->GetValue()),
                        static_cast<std::size_t>(std::max(0L, from)));
}

bool MainWindow::rowMenuWanted() const {
  if (wxWindow::FindFocus() != search.resultsEditor) return false;
  const wxPoint pointer = ScreenToClient(wxGetMousePosition());
  if (!wxRect(GetClientSize()).Contains(pointer)) return false;
  wxRect editor = search.resultsEditor->GetScreenRect();
  editor.SetPosition(ScreenToClient(editor.GetPosition()));
  return editor.Contains(pointer);
}

void MainWindow::prepareRowMenu() {
  // A line without a table entry reads as an empty row: a row without a link.
  const RowMenuState state = rowMenuState(table.row(currentRow()));
  popupMenu->Enable(MenuOpenPage, state.openPage);
  popupMenu->Enable(MenuPreview, state.preview);
  popupMenu->Enable(MenuDownloadOne, state.downloadOne);
}

void MainWindow::showRowMenu() {
  if (!rowMenuWanted()) return;
  prepareRowMenu();
  PopupMenu(popupMenu.get(), ScreenToClient(wxGetMousePosition()) - wxPoint(1, 1));
}

void MainWindow::openRowPage() {
  const std::optional<std::u16string> address = pageAddress(table.row(currentRow()), settings_.hosts);
  if (address && seams_.openInBrowser) seams_.openInBrowser(*address);
}

void MainWindow::openRowPreview() {
  const std::optional<std::u16string> address = previewAddress(table.row(currentRow()), settings_.hosts);
  if (address && seams_.openInBrowser) seams_.openInBrowser(*address);
}

void MainWindow::chooseDownloadFolder() {
  if (!seams_.chooseFolder) return;
  const std::u16string folder = seams_.chooseFolder(this);
  if (folder.size() >= 2) downloads.folderField->ChangeValue(toWx(folder));
}

void MainWindow::armDownload(DownloadMode mode) {
  const std::size_t row = currentRow();
  if (!siteDescription(table.row(row).site).downloadAddress) return;
  downloadJob_ = {mode, row};
  mainPanel->SetSelection(1);
  downloads.confirmButton->Show();
}

void MainWindow::runDownload() {
  if (downloadRunning_) return;
  DownloadRun run{.folder = fromWx(downloads.folderField->GetValue()),
                  .rule = fromWx(downloads.ruleField->GetValue()),
                  .hosts = settings_.hosts,
                  .retryPause = seams_.downloadPause,
                  .serveEvents = seams_.serveWindowEvents,
                  .clock = seams_.clock,
                  .stop = &closeRequested_};
  run.observer.logLine = [this](const std::u16string &line) { insertLogLine(downloads.downloadLog, line); };
  std::u16string rowText;  // what a Single box says
  run.observer.rowDone = [&rowText](const ResultRow &row, const DownloadResult &result) {
    rowText = downloadResultText(row, result);
  };
  const bool notify = downloads.noticeBox->GetValue();
  const bool batch = downloadJob_.mode == DownloadMode::Batch;
  // A batch covers every entry but the empty one behind the rows of a check, copied under the
  // table's lock; an index beyond a table that a later check made shorter reads as an empty row,
  // which fails with a line the user can see.
  std::vector<ResultRow> rows = batch ? table.rows() : std::vector{table.row(downloadJob_.rowIndex)};
  if (batch) rows.pop_back();
  if (batch && !rows.empty()) downloads.confirmButton->Disable();
  downloadRunning_ = true;
  const DownloadOutcome outcome = runDownloads(rows, downloadJob_.mode, run);
  downloadRunning_ = false;
  // A stop means the window is closing; there is nothing left to tidy.
  if (outcome.stopped) {
    Close();
    return;
  }
  if (notify && !rows.empty() && seams_.showMessage) {
    seams_.showMessage(this, std::u16string(kDownloadMessageTitle),
                       batch ? std::u16string(kBatchEndText) : rowText,
                       outcome.failed > 0 && !batch ? MessageKind::Error : MessageKind::Plain);
  }
  downloads.confirmButton->Enable();
  mainPanel->SetSelection(0);
  downloads.confirmButton->Hide();
}

LookupView MainWindow::lookupView() {
  LookupView view;
  view.inputText = [this] { return fromWx(search.inputEditor->GetValue()); };
  view.selectedSite = [this] { return siteAt(search.siteChooser->GetSelection()); };
  view.setResultsText = [this](const std::u16string &text) { setResultsText(text); };
  view.appendResultsText = [this](const std::u16string &tail) { appendResultsText(tail); };
  view.setResultsCaption = [this](const std::u16string &caption) {
    search.resultsFrame->SetLabelText(toWx(caption));
  };
  view.addEntry = [this](std::size_t, const CheckedEntry &entry) {
    addReportEntry(reportTable, entry);
    report.list->showTable();
  };
  return view;
}

void MainWindow::beginReport() {
  stopCurrentSearch(*currentJob_);
  showSearchProgress(report, false);
  clearReport(reportTable, siteAt(search.siteChooser->GetSelection()),
              seams_.clock ? seams_.clock() : currentDate());
  report.list->showTable();
}

void MainWindow::findCurrentVersions() {
  const std::vector<std::size_t> indexes = entriesToSearch(reportTable);
  std::vector<CheckedEntry> entries;
  for (const std::size_t index : indexes)
    entries.push_back(reportTable.entries[index]);
  reportTable.currentSought = true;
  report.list->showTable();
  report.progress->SetRange(static_cast<int>(std::max<std::size_t>(indexes.size(), 1)));
  report.progress->SetValue(0);
  showSearchProgress(report, true);
  startCurrentSearch(*currentJob_, std::move(entries), indexes);
}

void MainWindow::cancelCurrentSearch() {
  stopCurrentSearch(*currentJob_);
  endCurrentSearch();
}

void MainWindow::endCurrentSearch() {
  showSearchProgress(report, false);
  // The findings may change the order of a table sorted by a column of the version in force.
  arrangeReport(reportTable);
  report.list->showTable();
}

void MainWindow::exportReport() {
  if (!seams_.chooseExportFile) return;
  const std::u16string path = seams_.chooseExportFile(this);
  if (path.empty()) return;
  const std::u16string error = hengdian::exportReport(std::filesystem::path(path), reportTable);
  if (!error.empty() && seams_.showMessage)
    seams_.showMessage(this, std::u16string(kReportTabTitle), u"导出失败：" + path + u"\n" + error,
                       MessageKind::Error);
}

void MainWindow::openReportPage(long item) {
  if (item < 0 || static_cast<std::size_t>(item) >= reportTable.shown.size()) return;
  const CheckedEntry &entry = reportTable.entries[reportTable.shown[static_cast<std::size_t>(item)]];
  const std::optional<std::u16string> address = pageAddress(entry.row, settings_.hosts);
  if (address && seams_.openInBrowser) seams_.openInBrowser(*address);
}

void MainWindow::showReportRowMenu(long item) {
  if (item < 0 || static_cast<std::size_t>(item) >= reportTable.shown.size()) return;
  const std::size_t index = reportTable.shown[static_cast<std::size_t>(item)];
  const CheckedEntry &entry = reportTable.entries[index];
  std::optional<std::u16string> current;
  if (const CurrentVersion *version = versionInForce(entry.current))
    current =
        pageAddress(ResultRow{version->code, version->title, version->link, entry.row.site}, settings_.hosts);
  enum { OpenPage = 1, OpenCurrent, CopyRow };
  wxMenu menu;
  menu.Append(OpenPage, toWx(u"查看标准网页"));
  menu.Append(OpenCurrent, toWx(u"查看现行版本网页"));
  menu.Append(CopyRow, toWx(u"复制本行"));
  menu.Enable(OpenPage, pageAddress(entry.row, settings_.hosts).has_value());
  menu.Enable(OpenCurrent, current.has_value());
  switch (report.list->GetPopupMenuSelectionFromUser(menu)) {
    case OpenPage:
      openReportPage(item);
      break;
    case OpenCurrent:
      if (seams_.openInBrowser) seams_.openInBrowser(*current);
      break;
    case CopyRow:
      if (seams_.copyText) seams_.copyText(reportRowText(reportTable, index));
      break;
    default:
      break;
  }
}

void MainWindow::keepSelection(const std::function<void()> &change) {
  long from = 0;
  long to = 0;
  search.resultsEditor->GetSelection(&from, &to);
  change();
  const long last = search.resultsEditor->GetLastPosition();
  search.resultsEditor->SetSelection(std::min(from, last), std::min(to, last));
}

void MainWindow::setResultsText(const std::u16string &text) {
  keepSelection([&] { search.resultsEditor->ChangeValue(toWx(text)); });
}

void MainWindow::appendResultsText(const std::u16string &tail) {
  keepSelection([&] { search.resultsEditor->AppendText(toWx(tail)); });
}

MainWindow *createMainWindow(const QuerySettings &settings, const WindowSeams &seams) {
  auto *window = new MainWindow(settings, seams);
  window->layoutMainWindow();
  // Installed after the first layout, so the sizes set while the controls were built do not
  // run it.
  window->installHooks();

  // Centred on the screen; a window larger than the screen starts at its left or top edge.
  const wxSize screen = wxDisplay(0u).GetGeometry().GetSize();
  const wxSize outer = window->GetSize();
  window->Move((screen.x - std::min(screen.x, outer.x)) / 2, (screen.y - std::min(screen.y, outer.y)) / 2);
  window->Show();
  window->Raise();
  return window;
}

}  // namespace hengdian
