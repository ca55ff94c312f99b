#include "web/decoding.h"

#include <memory>
#include <utility>

#include "web/http.h"
#include "web/response_headers.h"

namespace hengdian {

FetchedText fetchSearch(const SearchRequest &search, const HttpSettings &settings, const StopFlag *stop) {
  std::unique_ptr<HttpRequest> request =
      sendHttpRequest(search.method, search.address, search.body, nullptr, settings, stop);
  if (!request) return {{}, u"no request could be made"};
  // Only a finished transfer's body is read: a cut-off page must not pass for a whole one.
  if (request->state != HttpState::Finished) {
    std::u16string error = httpInfo(*request, HttpInfoKind::ErrorText);
    finishHttpRequest(std::move(request));
    return {{}, error.empty() ? u"the transfer failed" : std::move(error)};
  }
  // The charset the headers announce picks the decoding of the body, and of the headers when
  // they are wanted in front of it.
  const ResponseHeaders headers = readResponseHeaders(httpInfo(*request, HttpInfoKind::HeaderText));
  const TextDecoding decoding = decodingForCharset(headers.chainCharset);
  FetchedText fetched;
  fetched.text = httpInfo(*request, HttpInfoKind::BodyText, decoding);
  // In front of the body in place: the decoded body usually has room to spare, so the page is
  // not copied once more.
  if (search.headersInFront) fetched.text.insert(0, httpInfo(*request, HttpInfoKind::HeaderText, decoding));
  if (request->statusCode < 200 || request->statusCode > 299) {
    fetched.error = u"HTTP status " + httpInfo(*request, HttpInfoKind::StatusCode);
  }
  finishHttpRequest(std::move(request));
  return fetched;
}

TextDecoding decodingForCharset(std::u16string_view charset) {
  // A page announcing big5 is read as UTF-8: the tool carries no Big5 decoder.
  if (charset == u"utf8" || charset == u"utf-8" || charset == u"big5") return TextDecoding::Utf8;
  return TextDecoding::SystemCodePage;
}

}  // namespace hengdian
