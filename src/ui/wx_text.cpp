#include "ui/wx_text.h"

#include "runtime/code_page.h"

namespace hengdian {

wxString toWx(std::u16string_view text) {
  const std::string utf8 = toUtf8(text);
  return wxString::FromUTF8(utf8.data(), utf8.size());
}

std::u16string fromWx(const wxString &text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return fromUtf8(std::string_view(utf8.data(), utf8.length()));
}

}  // namespace hengdian
