#include "web/file_type.h"

#include <algorithm>

#include "runtime/text.h"

namespace hengdian {

namespace {

constexpr std::string_view kCompoundFile = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kZip = "PK\x03\x04";

/// A type whose bytes are known: its signature at the start, or (`withinHead`) anywhere in the
/// head. An empty signature takes any body.
struct KnownType {
  std::u16string_view extension;
  std::string_view signature;
  bool withinHead = false;
};

constexpr KnownType kKnownTypes[] = {
    {u"pdf", "%PDF-", true},
    {u"doc", kCompoundFile},
    {u"xls", kCompoundFile},
    {u"ppt", kCompoundFile},
    {u"docx", kZip},
    {u"xlsx", kZip},
    {u"pptx", kZip},
    {u"zip", kZip},
    {u"rar", "Rar!\x1A\x07"},
    {u"7z", "7z\xBC\xAF\x27\x1C"},
    {u"htm", ""},
    {u"html", ""},
    {u"xhtml", ""},
    {u"json", ""},
    {u"xml", ""},
    {u"txt", ""},
};

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char wanted, char given) {
           return wanted == (given >= 'A' && given <= 'Z' ? static_cast<char>(given - 'A' + 'a') : given);
         });
}

/// Whether the answer is a web page: announced as one, or starting as one after an optional
/// UTF-8 byte order mark and white space.
bool isWebPage(std::string_view head, std::u16string_view mediaType) {
  if (mediaType == u"text/html" || mediaType == u"application/xhtml+xml" || mediaType == u"application/json")
    return true;
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  head.remove_prefix(std::min(head.find_first_not_of(" \t\r\n\f"), head.size()));
  return startsWithIgnoringCase(head, "<!doctype html") || startsWithIgnoringCase(head, "<html");
}

}  // namespace

std::u16string finalMediaType(std::u16string_view headerText) {
  const std::u16string text = lowerCase(headerText);
  // Each response's block starts with its status line; only the last one's header counts.
  const std::size_t finalBlock = text.rfind(u"\nhttp/");
  const std::u16string_view last =
      std::u16string_view(text).substr(finalBlock == std::u16string::npos ? 0 : finalBlock);
  constexpr std::u16string_view kName = u"\ncontent-type:";
  const std::size_t found = last.find(kName);
  if (found == std::u16string_view::npos) return {};
  const std::u16string_view value = last.substr(found + kName.size());
  return trimSpaces(value.substr(0, value.find_first_of(u";\r\n")));
}

std::u16string fileTypeMismatch(std::u16string_view extension, std::string_view head,
                                std::u16string_view mediaType) {
  const auto *known = std::find_if(std::begin(kKnownTypes), std::end(kKnownTypes),
                                   [&](const KnownType &type) { return type.extension == extension; });
  const bool webPage = isWebPage(head, mediaType);
  bool fits = !webPage;
  // For a known type the signature decides, whatever the answer announced.
  if (known != std::end(kKnownTypes)) {
    fits = known->withinHead ? head.find(known->signature) != std::string_view::npos
                             : head.starts_with(known->signature);
  }
  if (fits) return {};
  return u"not a " + std::u16string(extension) + u" file: the site sent " +
         (webPage ? u"a web page (" : u"something else (") +
         (mediaType.empty() ? std::u16string(u"no content type") : std::u16string(mediaType)) + u")";
}

}  // namespace hengdian
