#include "ui/download_tab.h"

#include <algorithm>

#include "downloads/naming_rule.h"
#include "runtime/desktop_folder.h"
#include "ui/fitted_controls.h"
#include "ui/wx_text.h"

namespace hengdian {

namespace {

// The check box's label: nine characters beside the mark in 100 pixels.
constexpr int kNoticeFontPoints = 7;

// The naming help, eight lines.
constexpr std::u16string_view kNamingHelp =
    u"标准命名规则说明：\n"
    u"用户根据需要修改命名规则，命名规则中用[**]"
    u"的文字为代用词，在最终保存文件时，会被替换为该标准的对应文字，"
    u"例如：GB/T 5490-2010 粮油检验 一般规则\n"
    u"[标准代号1]会被替换为没有“/”的标准号和年代号，例如：GBT 5490-2010；\n"
    u"[标准代号2]会被替换为“/”改“⁄”(一种很像斜杠符号，可用于文件名的字符)的标准号和年代号，例如：GB⁄T "
    u"5490-2010；\n"
    u"[标准代号3]会被替换为没有“/”的标准号，例如：GBT 5490；\n"
    u"[标准代号4]会被替换为“/”改“⁄”(一种很像斜杠符号，可用于文件名的字符)的标准号，例如：GB⁄T 5490；\n"
    u"[标准名称]会被替换为标准的实际名称，例如：粮油检验 一般规则；\n"
    u"[扩展名]会被替换为下载链接原本的文件类型，一般为pdf、zip、rar等常见文件格式。";

/// A right-aligned label whose text is shown as it is ("&" included).
wxStaticText *createLabel(wxWindow *parent, std::u16string_view text, const wxPoint &position,
                          const wxSize &size) {
  auto *label =
      new wxStaticText(parent, wxID_ANY, wxString(), position, size, wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
  label->SetLabelText(toWx(text));
  return label;
}

}  // namespace

wxTextCtrl *createTextArea(wxWindow *parent, const wxPoint &position, const wxSize &size) {
  auto *area =
      new wxTextCtrl(parent, wxID_ANY, wxString(), position, size,
                     wxTE_MULTILINE | wxTE_RICH2 | wxTE_DONTWRAP | wxHSCROLL | wxVSCROLL | wxTE_NOHIDESEL);
  return area;
}

DownloadTab createDownloadTab(wxNotebook *mainPanel) {
  DownloadTab tab;
  tab.page = new wxPanel(mainPanel);
  mainPanel->AddPage(tab.page, toWx(kDownloadTabTitle));
  wxPanel *page = tab.page;

  tab.folderLabel = createLabel(page, u"标准下载文件夹：", {10, 9}, {110, 25});
  tab.folderField = new wxTextCtrl(page, wxID_ANY, toWx(desktopFolder()), {120, 5}, {200, 25});
  tab.folderField->Disable();
  tab.folderButton = new wxButton(page, wxID_ANY, toWx(u"选择下载目录"), {325, 5}, {100, 25});
  tab.ruleLabel = createLabel(page, u"标准命名规则：", {10, 39}, {110, 25});
  tab.ruleField = new wxTextCtrl(page, wxID_ANY, toWx(kDefaultNamingRule), {120, 35}, {305, 25});
  tab.namingHelp = createTextArea(page, {10, 68}, {800, 400});
  tab.namingHelp->ChangeValue(toWx(kNamingHelp));
  tab.noticeBox = new wxCheckBox(page, wxID_ANY, toWx(u"下载完成时弹窗提示"), {10, 475}, {100, 25});
  tab.noticeBox->SetValue(true);
  tab.confirmButton = new wxButton(page, wxID_ANY, toWx(u"确认并开始下载"), {120, 475}, {100, 25});
  tab.confirmButton->Hide();
  tab.downloadLog = createTextArea(page, {10, 510}, {800, 150});
  fitToLayoutSize(tab.folderButton);
  fitToLayoutSize(tab.confirmButton);
  fitToLayoutSize(tab.noticeBox, kNoticeFontPoints);
  return tab;
}

void fitControl(wxWindow *control, const wxRect &rect) {
  const wxRect sized(rect.x, rect.y, std::max(0, rect.width), std::max(0, rect.height));
  if (control->GetRect() != sized) control->SetSize(sized);
}

void layoutDownloadTab(const DownloadTab &tab, int pageWidth, int pageHeight) {
  constexpr int kHelpTop = 68;
  // Left edges stay where they are; so do the sizes the rules do not name.
  const wxRect box = tab.noticeBox->GetRect();
  const wxRect confirm = tab.confirmButton->GetRect();
  const wxRect log = tab.downloadLog->GetRect();
  fitControl(tab.namingHelp,
             wxRect(tab.namingHelp->GetPosition().x, kHelpTop, pageWidth - 20, pageHeight - kHelpTop - 190));
  fitControl(tab.noticeBox, wxRect(box.x, pageHeight - 185, box.width, box.height));
  fitControl(tab.confirmButton, wxRect(confirm.x, pageHeight - 185, confirm.width, confirm.height));
  fitControl(tab.downloadLog, wxRect(log.x, pageHeight - 155, pageWidth - 20, log.height));
}

void insertLogLine(wxTextCtrl *log, std::u16string_view line) {
  if (log->IsEmpty()) {
    log->AppendText(toWx(line));
    return;
  }
  long from = 0;
  long to = 0;
  log->GetSelection(&from, &to);
  const wxString inserted = toWx(line) + wxS("\n");
  log->SetInsertionPoint(0);
  log->WriteText(inserted);
  // What the user had selected moves down with the text after it.
  const long shift = static_cast<long>(inserted.length());
  log->SetSelection(from + shift, to + shift);
}

}  // namespace hengdian
