#pragma once
// Fetching a page as text: the request, the character set the response headers announce, and the
// body decoded by it. A failure yields the empty text.

#include <string>
#include <string_view>

#include "runtime/code_page.h"
#include "runtime/stop_flag.h"
#include "web/http.h"

namespace hengdian {

/// A fetched page as text, and why the site did not answer when it did not.
struct FetchedText {
  std::u16string text;   // the decoded page; "" when the transfer failed
  std::u16string error;  // "" when a response with a status of 200 to 299 came
};

/// POSTs `formData` to `url` as `settings` say and returns the decoded body; with
/// `includeHeaders` non-zero the header text of the whole chain (decoded the same way) stands in
/// front of it. A transport failure (no answer, TLS, a stall or a request over a bound of
/// `settings`, the redirect limit, a cut-off or oversized body) gives no text, and it and a
/// status outside 200 to 299 (whose page is the text as usual) give an error. Worker thread.
FetchedText fetchTextByPost(std::u16string_view url, int includeHeaders, std::u16string_view formData,
                            const HttpSettings &settings = {}, const StopFlag *stop = nullptr);

/// GETs `url`; otherwise as `fetchTextByPost`. Worker thread.
FetchedText fetchTextByGet(std::u16string_view url, int includeHeaders, const HttpSettings &settings = {},
                           const StopFlag *stop = nullptr);

/// The header text of a redirect chain, lower-cased, with CR as LF and one pass of LF LF to LF,
/// behind the last occurrence of `name` ("location:"); the whole text when there is none.
std::u16string afterLastHeader(std::u16string_view headerText, std::u16string_view name);

/// The lower-cased text behind the first "charset=" after the last "content-type:", up to the
/// line end; neither trimmed nor unquoted.
std::u16string charsetFromHeaders(std::u16string_view headerText);

/// utf8, utf-8 and big5 decode as UTF-8; everything else, the empty name included, as the
/// system code page.
TextDecoding decodingForCharset(std::u16string_view charset);

}  // namespace hengdian
