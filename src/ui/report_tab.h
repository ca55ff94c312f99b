#pragma once
// The 标准查新 tab: the table of the last check in a virtual list, the choice of the rows shown,
// the look for the versions in force with its progress and cancel button, and the export.

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/panel.h>

#include <array>
#include <string_view>

#include "lookup/report_table.h"

namespace hengdian {

inline constexpr std::u16string_view kReportTabTitle = u"标准查新";

/// The table's list: a virtual report view that asks the table for each visible cell, so that
/// ten thousand rows cost no more than the visible ones. Each row is coloured by its state.
class ReportList : public wxListCtrl {
 public:
  ReportList(wxWindow *parent, const ReportTable &table);

  /// Shows the table as it is now: its columns, its row count and the visible cells. UI thread.
  void showTable();

  /// The text of shown row `item` in `column`, and the row's colours by its state. UI thread.
  wxString OnGetItemText(long item, long column) const override;
  wxItemAttr *OnGetItemAttr(long item) const override;

 private:
  const ReportTable &table_;
  mutable std::array<wxItemAttr, kStateLooks.size()> looks_;
};

/// The tab's controls; they belong to the user interface thread.
struct ReportTab {
  wxPanel *page = nullptr;
  wxChoice *filterChooser = nullptr;  // "全部" or "需要关注"
  wxButton *searchButton = nullptr;   // "查找现行版本"
  wxButton *exportButton = nullptr;   // "导出…"
  wxGauge *progress = nullptr;        // shown while the versions in force are looked for
  wxButton *cancelButton = nullptr;   // "取消", shown with the progress
  ReportList *list = nullptr;
};

/// Adds the tab to `mainPanel` as tab 2, showing `table`.
ReportTab createReportTab(wxNotebook *mainPanel, const ReportTable &table);

/// Fits the tab to a page of `pageWidth` × `pageHeight`: the list fills it below the buttons.
void layoutReportTab(const ReportTab &tab, int pageWidth, int pageHeight);

/// Shows or hides the progress and the cancel button, and enables the search button when they
/// are hidden.
void showSearchProgress(const ReportTab &tab, bool shown);

}  // namespace hengdian
