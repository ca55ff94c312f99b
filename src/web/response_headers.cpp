#include "web/response_headers.h"

#include <algorithm>
#include <string>

#include "runtime/code_page.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

/// `text` with every %XX as its byte, read as UTF-8 when `utf8`, else in the system code page.
std::u16string percentDecoded(std::u16string_view text, bool utf8) {
  std::string bytes;
  const auto hex = [](char16_t c) -> int {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
      i += 2;
    } else {
      bytes += toUtf8(text.substr(i, 1));
    }
  }
  return utf8 ? fromUtf8(bytes) : fromSystemCodePage(bytes);
}

/// The file name a Content-Disposition value gives: `filename*=` (charset'language'encoded)
/// before `filename=`; "" when it gives none.
std::u16string attachmentName(std::u16string_view value) {
  std::u16string plain;
  while (!value.empty()) {
    const std::size_t end = std::min(value.find(u';'), value.size());
    const std::u16string parameter = trimSpaces(value.substr(0, end));
    value = value.substr(std::min(end + 1, value.size()));
    if (parameter.starts_with(u"filename*=")) {
      const std::u16string_view encoded = std::u16string_view(parameter).substr(10);
      const std::size_t charsetEnd = encoded.find(u'\'');
      const std::size_t languageEnd =
          charsetEnd == std::u16string_view::npos ? charsetEnd : encoded.find(u'\'', charsetEnd + 1);
      if (languageEnd == std::u16string_view::npos) continue;
      return percentDecoded(encoded.substr(languageEnd + 1), encoded.substr(0, charsetEnd) == u"utf-8");
    }
    if (parameter.starts_with(u"filename=") && plain.empty()) plain = trimChar(parameter.substr(9), u'"');
  }
  return plain;
}

/// `text` behind the last `name`; all of it when there is none.
std::u16string_view behindLast(std::u16string_view text, std::u16string_view name) {
  const std::size_t found = text.rfind(name);
  return found == std::u16string_view::npos ? text : text.substr(found + name.size());
}

std::u16string_view firstLine(std::u16string_view text) {
  return text.substr(0, text.find_first_of(u"\r\n"));
}

/// `text` without spaces and tabs at either end.
std::u16string trimBlanks(std::u16string_view text) {
  const std::size_t start = text.find_first_not_of(u" \t");
  if (start == std::u16string_view::npos) return {};
  return std::u16string(text.substr(start, text.find_last_not_of(u" \t") - start + 1));
}

/// Takes one header line into `block`.
void readHeaderLine(std::u16string_view line, HeaderBlock &block) {
  const std::size_t colon = line.find(u':');
  if (colon == std::u16string_view::npos) return;
  const std::u16string_view name = line.substr(0, colon);
  const std::u16string_view value = line.substr(colon + 1);
  if (name == u"content-type" && block.mediaType.empty()) {
    block.mediaType = trimSpaces(value.substr(0, value.find(u';')));
    const std::size_t charset = value.find(u"charset=");
    if (charset != std::u16string_view::npos) {
      const std::u16string_view rest = value.substr(charset + 8);
      block.charset = trimChar(trimSpaces(rest.substr(0, rest.find(u';'))), u'"');
    }
  } else if (name == u"content-disposition" && block.attachmentName.empty()) {
    block.attachmentName = attachmentName(value);
  } else if (name == u"retry-after") {
    block.retryAfter = trimBlanks(value);
  }
}

}  // namespace

ResponseHeaders readResponseHeaders(std::u16string_view headerText) {
  const std::u16string text = lowerCase(headerText);
  ResponseHeaders headers;
  // Both rules read the chain's text as a whole, as the searches and downloads always have.
  const std::u16string_view afterType = behindLast(text, u"content-type:");
  if (const std::size_t charset = afterType.find(u"charset="); charset != std::u16string_view::npos) {
    const std::u16string_view value = afterType.substr(charset + 8);
    headers.chainCharset = firstLine(value.substr(0, value.find(u"charset=")));
  }
  headers.redirectTarget = trimSpaces(firstLine(behindLast(text, u"location:")));

  std::u16string_view rest(text);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(u'\n'), rest.size());
    std::u16string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.ends_with(u'\r')) line.remove_suffix(1);
    // Each response's block starts with its status line.
    if (line.starts_with(u"http/") || headers.chain.empty()) headers.chain.emplace_back();
    if (line.starts_with(u"http/")) {
      const std::u16string code = fieldOf(line, 2, u" ");
      if (code.size() == 3 && code.find_first_not_of(u"0123456789") == std::u16string::npos)
        headers.chain.back().status = std::stoi(toUtf8(code));
    } else {
      readHeaderLine(line, headers.chain.back());
    }
  }
  if (headers.chain.empty()) headers.chain.emplace_back();
  return headers;
}

}  // namespace hengdian
