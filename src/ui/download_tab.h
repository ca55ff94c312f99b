#pragma once
// The download settings tab: the folder, the naming rule and the notice check box a download
// reads, the naming help, the confirm button of an armed download, and the download log.

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <string>
#include <string_view>

namespace hengdian {

inline constexpr std::u16string_view kDownloadTabTitle = u"标准下载设置";

/// The tab's controls; they belong to the user interface thread.
struct DownloadTab {
  wxPanel *page = nullptr;
  wxStaticText *folderLabel = nullptr;
  wxTextCtrl *folderField = nullptr;
  wxButton *folderButton = nullptr;
  wxStaticText *ruleLabel = nullptr;
  wxTextCtrl *ruleField = nullptr;
  wxTextCtrl *namingHelp = nullptr;
  wxCheckBox *noticeBox = nullptr;
  wxButton *confirmButton = nullptr;
  wxTextCtrl *downloadLog = nullptr;
};

/// A multi-line text area as every one of the window has it: plain text, no wrap, both scroll
/// bars, no length limit, editable, the selection kept visible.
wxTextCtrl *createTextArea(wxWindow *parent, const wxPoint &position, const wxSize &size);

/// Adds the tab to `mainPanel` as tab 1 with its controls and their defaults.
DownloadTab createDownloadTab(wxNotebook *mainPanel);

/// Sets `control` to `rect` (a negative width or height counts as 0) unless it is there already,
/// so a layout run twice changes nothing.
void fitControl(wxWindow *control, const wxRect &rect);

/// Fits the tab to a page of `pageWidth` × `pageHeight`.
void layoutDownloadTab(const DownloadTab &tab, int pageWidth, int pageHeight);

/// Inserts `line` before the first line of the download log.
void insertLogLine(wxTextCtrl *log, std::u16string_view line);

}  // namespace hengdian
