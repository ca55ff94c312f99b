#include "ui/report_tab.h"

#include "ui/download_tab.h"
#include "ui/fitted_controls.h"
#include "ui/wx_text.h"

namespace hengdian {

namespace {

constexpr int kListTop = 35;

/// A colour of 0xRRGGBB.
wxColour colourOf(std::uint32_t rgb) {
  return wxColour(static_cast<unsigned char>(rgb >> 16), static_cast<unsigned char>(rgb >> 8),
                  static_cast<unsigned char>(rgb));
}

/// The width a column starts with: the numbers narrow, titles and names wide.
int columnWidth(std::size_t column) {
  constexpr int kWidths[] = {40, 120, 110, 70, 70, 200, 90, 90, 120, 120, 130, 80};
  return column < std::size(kWidths) ? kWidths[column] : 100;
}

}  // namespace

ReportList::ReportList(wxWindow *parent, const ReportTable &table)
    : wxListCtrl(parent, wxID_ANY, {10, kListTop}, {800, 600},
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES | wxLC_VRULES),
      table_(table) {
  for (std::size_t i = 0; i < kStateLooks.size(); ++i) {
    looks_[i].SetBackgroundColour(colourOf(kStateLooks[i].fill));
    looks_[i].SetTextColour(colourOf(kStateLooks[i].font));
  }
  showTable();
}

void ReportList::showTable() {
  const auto wanted = static_cast<int>(reportTableColumns(table_));
  while (GetColumnCount() > wanted)
    DeleteColumn(GetColumnCount() - 1);
  for (int column = GetColumnCount(); column < wanted; ++column) {
    const auto at = static_cast<std::size_t>(column);
    AppendColumn(toWx(reportTableHeader(at)), column == 0 ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT,
                 columnWidth(at));
  }
  if (table_.sortColumn && static_cast<int>(*table_.sortColumn) < wanted) {
    ShowSortIndicator(static_cast<int>(*table_.sortColumn), !table_.descending);
  } else {
    RemoveSortIndicator();
  }
  SetItemCount(static_cast<long>(table_.shown.size()));
  Refresh();
}

wxString ReportList::OnGetItemText(long item, long column) const {
  if (item < 0 || static_cast<std::size_t>(item) >= table_.shown.size()) return wxString();
  return toWx(
      reportCell(table_, table_.shown[static_cast<std::size_t>(item)], static_cast<std::size_t>(column)));
}

wxItemAttr *ReportList::OnGetItemAttr(long item) const {
  if (item < 0 || static_cast<std::size_t>(item) >= table_.shown.size()) return nullptr;
  const EntryState state = entryState(table_.entries[table_.shown[static_cast<std::size_t>(item)]]);
  for (std::size_t i = 0; i < kStateLooks.size(); ++i)
    if (kStateLooks[i].state == state) return &looks_[i];
  return nullptr;
}

ReportTab createReportTab(wxNotebook *mainPanel, const ReportTable &table) {
  ReportTab tab;
  tab.page = new wxPanel(mainPanel);
  mainPanel->AddPage(tab.page, toWx(kReportTabTitle));
  wxPanel *page = tab.page;

  wxArrayString filters;
  filters.Add(toWx(u"全部"));
  filters.Add(toWx(u"需要关注"));
  tab.filterChooser = new wxChoice(page, wxID_ANY, {10, 5}, {90, 25}, filters);
  tab.filterChooser->SetSelection(0);
  tab.searchButton = new wxButton(page, wxID_ANY, toWx(u"查找现行版本"), {105, 5}, {120, 25});
  tab.exportButton = new wxButton(page, wxID_ANY, toWx(u"导出…"), {230, 5}, {80, 25});
  tab.progress = new wxGauge(page, wxID_ANY, 1, {320, 8}, {200, 19});
  tab.cancelButton = new wxButton(page, wxID_ANY, toWx(u"取消"), {525, 5}, {60, 25});
  for (wxWindow *control :
       {static_cast<wxWindow *>(tab.filterChooser), static_cast<wxWindow *>(tab.searchButton),
        static_cast<wxWindow *>(tab.exportButton), static_cast<wxWindow *>(tab.cancelButton)})
    fitToLayoutSize(control);
  tab.list = new ReportList(page, table);
  showSearchProgress(tab, false);
  return tab;
}

void layoutReportTab(const ReportTab &tab, int pageWidth, int pageHeight) {
  fitControl(tab.list, wxRect(10, kListTop, pageWidth - 20, pageHeight - kListTop - 5));
}

void showSearchProgress(const ReportTab &tab, bool shown) {
  tab.progress->Show(shown);
  tab.cancelButton->Show(shown);
  tab.searchButton->Enable(!shown);
}

}  // namespace hengdian
