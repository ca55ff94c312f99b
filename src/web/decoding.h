#pragma once
// Fetching a search page as text: the request, the character set the response headers announce,
// and the body decoded by it. A failure yields the empty text.

#include <string>
#include <string_view>

#include "runtime/code_page.h"
#include "runtime/stop_flag.h"
#include "web/http.h"

namespace hengdian {

/// A search as the site wants it sent.
struct SearchRequest {
  HttpMethod method = HttpMethod::Get;
  std::u16string address;
  std::u16string body{};        // the form data of a POST
  bool headersInFront = false;  // the page text is the response's header text, then the page
};

/// A fetched page as text, and why the site did not answer when it did not.
struct FetchedText {
  std::u16string text;   // the decoded page; "" when the transfer failed
  std::u16string error;  // "" when a response with a status of 200 to 299 came
};

/// Sends `request` as `settings` say and returns the body decoded by the chain's charset
/// (`ResponseHeaders::chainCharset`), the chain's header text decoded the same way in front of it
/// when the request asks for it. A transport failure (no answer, TLS, a stall or a request over a
/// bound of `settings`, the redirect limit, a cut-off or oversized body) gives no text, and it and
/// a status outside 200 to 299 (whose page is the text as usual) give an error. Worker thread.
FetchedText fetchSearch(const SearchRequest &request, const HttpSettings &settings = {},
                        const StopFlag *stop = nullptr);

/// utf8, utf-8 and big5 decode as UTF-8; everything else, the empty name included, as the
/// system code page.
TextDecoding decodingForCharset(std::u16string_view charset);

}  // namespace hengdian
