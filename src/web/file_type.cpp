#include "web/file_type.h"

#include <algorithm>
#include <string>

#include "runtime/code_page.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

constexpr std::string_view kCompoundFile = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kZip = "PK\x03\x04";

/// What a type's body is judged by.
enum class BodyRule {
  StartsWith,  // its signature at the start
  WithinHead,  // its signature anywhere in the head
  AnyBody,     // any body at all
  NeverSaved,  // a program that Windows or a Linux desktop would run when the file is opened
};

/// A type the download knows: how its body is judged and, for the first two rules, by what.
struct KnownType {
  std::u16string_view extension;
  BodyRule rule;
  std::string_view signature = {};
};

constexpr KnownType kKnownTypes[] = {
    {u"pdf", BodyRule::WithinHead, "%PDF-"},
    {u"doc", BodyRule::StartsWith, kCompoundFile},
    {u"xls", BodyRule::StartsWith, kCompoundFile},
    {u"ppt", BodyRule::StartsWith, kCompoundFile},
    {u"docx", BodyRule::StartsWith, kZip},
    {u"xlsx", BodyRule::StartsWith, kZip},
    {u"pptx", BodyRule::StartsWith, kZip},
    {u"zip", BodyRule::StartsWith, kZip},
    {u"rar", BodyRule::StartsWith, "Rar!\x1A\x07"},
    {u"7z", BodyRule::StartsWith, "7z\xBC\xAF\x27\x1C"},
    {u"htm", BodyRule::AnyBody},
    {u"html", BodyRule::AnyBody},
    {u"xhtml", BodyRule::AnyBody},
    {u"json", BodyRule::AnyBody},
    {u"xml", BodyRule::AnyBody},
    {u"txt", BodyRule::AnyBody},
    // Windows runs these on a double-click, or hands them to a script host or an installer.
    {u"exe", BodyRule::NeverSaved},
    {u"com", BodyRule::NeverSaved},
    {u"bat", BodyRule::NeverSaved},
    {u"cmd", BodyRule::NeverSaved},
    {u"scr", BodyRule::NeverSaved},
    {u"pif", BodyRule::NeverSaved},
    {u"cpl", BodyRule::NeverSaved},
    {u"msc", BodyRule::NeverSaved},
    {u"msi", BodyRule::NeverSaved},
    {u"msp", BodyRule::NeverSaved},
    {u"msix", BodyRule::NeverSaved},
    {u"appx", BodyRule::NeverSaved},
    {u"hta", BodyRule::NeverSaved},
    {u"chm", BodyRule::NeverSaved},
    {u"js", BodyRule::NeverSaved},
    {u"jse", BodyRule::NeverSaved},
    {u"vb", BodyRule::NeverSaved},
    {u"vbs", BodyRule::NeverSaved},
    {u"vbe", BodyRule::NeverSaved},
    {u"ws", BodyRule::NeverSaved},
    {u"wsc", BodyRule::NeverSaved},
    {u"wsf", BodyRule::NeverSaved},
    {u"wsh", BodyRule::NeverSaved},
    {u"ps1", BodyRule::NeverSaved},
    {u"psm1", BodyRule::NeverSaved},
    {u"psd1", BodyRule::NeverSaved},
    {u"ps1xml", BodyRule::NeverSaved},
    {u"psc1", BodyRule::NeverSaved},
    {u"reg", BodyRule::NeverSaved},
    {u"inf", BodyRule::NeverSaved},
    {u"lnk", BodyRule::NeverSaved},
    {u"url", BodyRule::NeverSaved},
    {u"scf", BodyRule::NeverSaved},
    {u"application", BodyRule::NeverSaved},
    {u"appref-ms", BodyRule::NeverSaved},
    {u"settingcontent-ms", BodyRule::NeverSaved},
    {u"jar", BodyRule::NeverSaved},
    // A Linux desktop's file manager starts these.
    {u"desktop", BodyRule::NeverSaved},
    {u"sh", BodyRule::NeverSaved},
    {u"run", BodyRule::NeverSaved},
    {u"appimage", BodyRule::NeverSaved},
};

/// The known type of `extension`, or null.
const KnownType *knownType(std::u16string_view extension) {
  const auto *found = std::find_if(std::begin(kKnownTypes), std::end(kKnownTypes),
                                   [&](const KnownType &type) { return type.extension == extension; });
  return found == std::end(kKnownTypes) ? nullptr : found;
}

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

/// The header lines of the last response of a chain, lower-cased, from its status line on.
std::u16string finalHeaderBlock(std::u16string_view headerText) {
  const std::u16string text = lowerCase(headerText);
  const std::size_t finalBlock = text.rfind(u"\nhttp/");
  return text.substr(finalBlock == std::u16string::npos ? 0 : finalBlock);
}

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

}  // namespace

std::u16string attachmentName(std::u16string_view headerText) {
  const std::u16string block = finalHeaderBlock(headerText);
  constexpr std::u16string_view kName = u"\ncontent-disposition:";
  const std::size_t found = block.find(kName);
  if (found == std::u16string::npos) return {};
  const std::u16string_view line = std::u16string_view(block).substr(found + kName.size());
  std::u16string_view rest = line.substr(0, line.find_first_of(u"\r\n"));
  std::u16string plain;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(u';'), rest.size());
    const std::u16string parameter = trimSpaces(rest.substr(0, end));
    rest = rest.substr(std::min(end + 1, rest.size()));
    if (parameter.starts_with(u"filename*=")) {
      // charset'language'percent-encoded name
      const std::u16string_view value = std::u16string_view(parameter).substr(10);
      const std::size_t charsetEnd = value.find(u'\'');
      const std::size_t languageEnd =
          charsetEnd == std::u16string_view::npos ? charsetEnd : value.find(u'\'', charsetEnd + 1);
      if (languageEnd == std::u16string_view::npos) continue;
      return percentDecoded(value.substr(languageEnd + 1), value.substr(0, charsetEnd) == u"utf-8");
    }
    if (parameter.starts_with(u"filename=") && plain.empty()) plain = trimChar(parameter.substr(9), u'"');
  }
  return plain;
}

std::u16string extensionOfContent(std::string_view head) {
  // Each type stands for its signature: doc for any compound file, zip for any zip archive.
  constexpr std::u16string_view kSigned[] = {u"pdf", u"doc", u"zip", u"rar", u"7z"};
  for (const std::u16string_view extension : kSigned) {
    if (fileTypeMismatch(extension, head, u"").empty()) return std::u16string(extension);
  }
  return {};
}

std::u16string finalMediaType(std::u16string_view headerText) {
  // Each response's block starts with its status line; only the last one's header counts.
  const std::u16string block = finalHeaderBlock(headerText);
  const std::u16string_view last(block);
  constexpr std::u16string_view kName = u"\ncontent-type:";
  const std::size_t found = last.find(kName);
  if (found == std::u16string_view::npos) return {};
  const std::u16string_view value = last.substr(found + kName.size());
  return trimSpaces(value.substr(0, value.find_first_of(u";\r\n")));
}

std::u16string runnableTypeReason(std::u16string_view extension) {
  return u"the site offered an executable file (." + std::u16string(extension) + u"); not saved";
}

bool isRunnableType(std::u16string_view extension) {
  // A query or fragment behind the type does not hide it, and neither do the trailing spaces,
  // dots and control characters that Windows drops from a file name.
  extension = extension.substr(0, extension.find_first_of(u"?#"));
  while (!extension.empty() && (extension.back() <= u' ' || extension.back() == u'.'))
    extension.remove_suffix(1);
  const KnownType *known = knownType(lowerCase(extension));
  return known != nullptr && known->rule == BodyRule::NeverSaved;
}

std::u16string fileTypeMismatch(std::u16string_view extension, std::string_view head,
                                std::u16string_view mediaType) {
  const bool webPage = isWebPage(head, mediaType);
  bool fits = !webPage;
  if (isRunnableType(extension)) return runnableTypeReason(extension);
  // For a known type the bytes decide, whatever the answer announced.
  if (const KnownType *known = knownType(extension)) {
    switch (known->rule) {
      case BodyRule::StartsWith:
        fits = head.starts_with(known->signature);
        break;
      case BodyRule::WithinHead:
        fits = head.find(known->signature) != std::string_view::npos;
        break;
      case BodyRule::AnyBody:
        fits = true;
        break;
      case BodyRule::NeverSaved:
        return runnableTypeReason(extension);
    }
  }
  if (fits) return {};
  return u"not a " + std::u16string(extension) + u" file: the site sent " +
         (webPage ? u"a web page (" : u"something else (") +
         (mediaType.empty() ? std::u16string(u"no content type") : std::u16string(mediaType)) + u")";
}

}  // namespace hengdian
