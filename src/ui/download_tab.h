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

/// The naming help, line by line.
inline constexpr std::u16string_view kNamingHelp[] = {
    u"标准命名规则说明：",
    u"用户根据需要修改命名规则，命名规则中用[**]"
    u"的文字为代用词，在最终保存文件时，会被替换为该标准的对应文字，例如：GB/T "
    u"5490-2010 粮油检验 一般规则",
    u"[标准代号1]会被替换为没有“/”的标准号和年代号，例如：GBT 5490-2010；",
    u"[标准代号2]会被替换为“/”改“⁄”(一种很像斜杠符号，可用于文件名的字符)的标准号和年代号，例如：GB⁄T "
    u"5490-2010；",
    u"[标准代号3]会被替换为没有“/”的标准号，例如：GBT 5490；",
    u"[标准代号4]会被替换为“/”改“⁄”(一种很像斜杠符号，可用于文件名的字符)的标准号，例如：GB⁄T 5490；",
    u"[标准名称]会被替换为标准的实际名称，例如：粮油检验 一般规则；",
    u"[扩展名]会被替换为下载链接原本的文件类型，一般为pdf、zip、rar等常见文件格式。",
};

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
