#pragma once
// Fetching a page as text: the request, the character set the response headers announce, and the
// body decoded by it. A failure yields the empty text.

#include <string>
#include <string_view>

#include "runtime/code_page.h"
#include "runtime/stop_flag.h"

namespace hengdian {

/// POSTs `formData` to `url` and returns the decoded body; with `includeHeaders` non-zero the
/// header text of the whole chain (decoded the same way) stands in front of it. Worker thread.
std::u16string fetchTextByPost(std::u16string_view url, int includeHeaders, std::u16string_view formData,
                               const StopFlag *stop = nullptr);

/// GETs `url`; otherwise as `fetchTextByPost`. Worker thread.
std::u16string fetchTextByGet(std::u16string_view url, int includeHeaders, const StopFlag *stop = nullptr);

/// The lower-cased text behind the first "charset=" after the last "content-type:", up to the
/// line end; neither trimmed nor unquoted.
std::u16string charsetFromHeaders(std::u16string_view headerText);

/// utf8, utf-8 and big5 decode as UTF-8; everything else, the empty name included, as the
/// system code page.
TextDecoding decodingForCharset(std::u16string_view charset);

}  // namespace hengdian
