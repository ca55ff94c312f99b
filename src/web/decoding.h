#pragma once
// Fetching a page as text: the request, the character set the response headers announce, and the
// body decoded by it. A failure yields the empty text.

#include <string>
#include <string_view>

#include "runtime/code_page.h"
#include "runtime/stop_flag.h"
#include "web/http.h"

namespace hengdian {

/// POSTs `formData` to `url` and returns the decoded body; with `includeHeaders` non-zero the
/// header text of the whole chain (decoded the same way) stands in front of it. Worker thread.
std::u16string fetchTextByPost(std::u16string_view url, int includeHeaders, std::u16string_view formData,
                               const StopFlag *stop = nullptr);

/// GETs `url`; otherwise as `fetchTextByPost`. Worker thread.
std::u16string fetchTextByGet(std::u16string_view url, int includeHeaders, const StopFlag *stop = nullptr);

/// A fetched page as text, and why the site did not answer when it did not.
struct FetchedText {
  std::u16string text;   // what `fetchTextByGet` and `fetchTextByPost` return
  std::u16string error;  // "" when a response with a status of 200 to 299 came
};

/// The fetch of both `fetchTextByPost` (`method` Post) and `fetchTextByGet` (Get, `formData`
/// ignored), telling a transport failure (no answer, TLS, a stall or a request over `limits`, the
/// redirect limit, a cut-off or oversized body: the text is then empty) and a status outside 200
/// to 299 (the text is the page as usual) by an error text. Worker thread.
FetchedText fetchTextOrError(HttpMethod method, std::u16string_view url, int includeHeaders,
                             std::u16string_view formData, const StopFlag *stop = nullptr,
                             const HttpLimits &limits = {});

/// The lower-cased text behind the first "charset=" after the last "content-type:", up to the
/// line end; neither trimmed nor unquoted.
std::u16string charsetFromHeaders(std::u16string_view headerText);

/// utf8, utf-8 and big5 decode as UTF-8; everything else, the empty name included, as the
/// system code page.
TextDecoding decodingForCharset(std::u16string_view charset);

}  // namespace hengdian
