#include "web/decoding.h"

#include <cstdint>
#include <memory>
#include <utility>

#include "runtime/text.h"
#include "web/http.h"

namespace hengdian {

namespace {

FetchedText fetchText(HttpMethod method, std::u16string_view url, int includeHeaders,
                      std::u16string_view formData, const HttpSettings &settings, const StopFlag *stop) {
  std::unique_ptr<HttpRequest> request = sendHttpRequest(method, url, formData, nullptr, settings, stop);
  if (!request) return {{}, u"no request could be made"};
  // Only a finished transfer's body is read: a cut-off page must not pass for a whole one.
  if (request->state != HttpState::Finished) {
    std::u16string error = httpInfo(*request, HttpInfoKind::ErrorText);
    finishHttpRequest(std::move(request));
    return {{}, error.empty() ? u"the transfer failed" : std::move(error)};
  }
  // The charset the headers announce picks the decoding of the body, and of the headers when
  // they are wanted in front of it.
  const std::u16string charset = charsetFromHeaders(httpInfo(*request, HttpInfoKind::HeaderText));
  const TextDecoding decoding = decodingForCharset(charset);
  FetchedText fetched;
  fetched.text = httpInfo(*request, HttpInfoKind::BodyText, decoding);
  // In front of the body in place: the decoded body usually has room to spare, so the page is
  // not copied once more.
  if (includeHeaders != 0) fetched.text.insert(0, httpInfo(*request, HttpInfoKind::HeaderText, decoding));
  if (request->statusCode < 200 || request->statusCode > 299) {
    fetched.error = u"HTTP status " + httpInfo(*request, HttpInfoKind::StatusCode);
  }
  finishHttpRequest(std::move(request));
  return fetched;
}

}  // namespace

FetchedText fetchTextByPost(std::u16string_view url, int includeHeaders, std::u16string_view formData,
                            const HttpSettings &settings, const StopFlag *stop) {
  return fetchText(HttpMethod::Post, url, includeHeaders, formData, settings, stop);
}

FetchedText fetchTextByGet(std::u16string_view url, int includeHeaders, const HttpSettings &settings,
                           const StopFlag *stop) {
  return fetchText(HttpMethod::Get, url, includeHeaders, u"", settings, stop);
}

std::u16string afterLastHeader(std::u16string_view headerText, std::u16string_view name) {
  std::u16string text = lowerCase(headerText);
  text = replaceAll(text, u"\r", u"\n");
  text = replaceAll(text, u"\n\n", u"\n");
  const std::size_t count = countOf(text, name);
  return fieldOf(text, static_cast<std::int64_t>(count) + 1, name);
}

std::u16string charsetFromHeaders(std::u16string_view headerText) {
  // Only the last content-type counts: after redirects it is the final response's.
  const std::u16string afterCharset = fieldOf(afterLastHeader(headerText, u"content-type:"), 2, u"charset=");
  return fieldOf(afterCharset, 1, u"\n");
}

TextDecoding decodingForCharset(std::u16string_view charset) {
  // A page announcing big5 is read as UTF-8: the tool carries no Big5 decoder.
  if (charset == u"utf8" || charset == u"utf-8" || charset == u"big5") return TextDecoding::Utf8;
  return TextDecoding::SystemCodePage;
}

}  // namespace hengdian
