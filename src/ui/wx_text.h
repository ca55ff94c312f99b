#pragma once
// Text crosses into and out of wx here and nowhere else: the system's UTF-16 on one side,
// wxString on the other.

#include <wx/string.h>

#include <string>
#include <string_view>

namespace hengdian {

/// `text` as a wxString.
wxString toWx(std::u16string_view text);

/// `text` as UTF-16.
std::u16string fromWx(const wxString &text);

}  // namespace hengdian
