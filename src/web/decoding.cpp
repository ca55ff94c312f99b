#include "web/decoding.h"

#include <cstdint>
#include <memory>
#include <utility>

#include "runtime/text.h"
#include "web/http.h"

namespace hengdian {

namespace {

// The common part of both fetches: the charset the headers announce picks the decoding of the
// body (and of the headers when they are wanted in front of it).
std::u16string fetchText(HttpMethod method, std::u16string_view url, int includeHeaders,
                         std::u16string_view formData, const StopFlag *stop) {
  std::unique_ptr<HttpRequest> request = sendHttpRequest(method, url, formData, nullptr, stop);
  if (!request) return {};
  const std::u16string charset = charsetFromHeaders(httpInfo(*request, HttpInfoKind::HeaderText));
  const TextDecoding decoding = decodingForCharset(charset);
  std::u16string text = httpInfo(*request, HttpInfoKind::BodyText, decoding);
  if (includeHeaders != 0) text = httpInfo(*request, HttpInfoKind::HeaderText, decoding) + text;
  finishHttpRequest(std::move(request));
  return text;
}

}  // namespace

std::u16string fetchTextByPost(std::u16string_view url, int includeHeaders, std::u16string_view formData,
                               const StopFlag *stop) {
  return fetchText(HttpMethod::Post, url, includeHeaders, formData, stop);
}

std::u16string fetchTextByGet(std::u16string_view url, int includeHeaders, const StopFlag *stop) {
  return fetchText(HttpMethod::Get, url, includeHeaders, u"", stop);
}

std::u16string charsetFromHeaders(std::u16string_view headerText) {
  std::u16string text = lowerCase(headerText);
  text = replaceAll(text, u"\r", u"\n");
  text = replaceAll(text, u"\n\n", u"\n");
  // Only the last content-type counts: after redirects it is the final response's.
  const std::size_t count = countOf(text, u"content-type:");
  const std::u16string lastContentType =
      fieldOf(text, static_cast<std::int64_t>(count) + 1, u"content-type:");
  const std::u16string afterCharset = fieldOf(lastContentType, 2, u"charset=");
  return fieldOf(afterCharset, 1, u"\n");
}

TextDecoding decodingForCharset(std::u16string_view charset) {
  // A page announcing big5 is read as UTF-8: the tool carries no Big5 decoder.
  if (charset == u"utf8" || charset == u"utf-8" || charset == u"big5") return TextDecoding::Utf8;
  return TextDecoding::SystemCodePage;
}

}  // namespace hengdian
