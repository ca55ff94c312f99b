#include "web/file_type.h"

#include <algorithm>
#include <string>

#include "runtime/text.h"

namespace hengdian {

namespace {

constexpr std::string_view kCompoundFile = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kZip = "PK\x03\x04";

/// A type the download knows: the signature its body starts with, or holds anywhere in its head
/// when `anywhere`; an empty signature takes any body.
struct KnownType {
  std::u16string_view extension;
  std::string_view signature = {};
  bool anywhere = false;
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
    {u"htm"},
    {u"html"},
    {u"xhtml"},
    {u"json"},
    {u"xml"},
    {u"txt"},
};

/// The types a program stands behind: Windows runs them on a double-click, or hands them to a
/// script host or an installer (exe to jar), and a Linux desktop's file manager starts the rest.
constexpr std::u16string_view kRunnableTypes[] = {
    u"exe",  u"com",     u"bat",    u"cmd",         u"scr",       u"pif",
    u"cpl",  u"msc",     u"msi",    u"msp",         u"msix",      u"appx",
    u"hta",  u"chm",     u"js",     u"jse",         u"vb",        u"vbs",
    u"vbe",  u"ws",      u"wsc",    u"wsf",         u"wsh",       u"ps1",
    u"psm1", u"psd1",    u"ps1xml", u"psc1",        u"reg",       u"inf",
    u"lnk",  u"url",     u"scf",    u"application", u"appref-ms", u"settingcontent-ms",
    u"jar",  u"desktop", u"sh",     u"run",         u"appimage"};

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

OfferedFile offeredFile(const ResponseHeaders &headers, std::string_view head) {
  OfferedFile offered{headers.redirectTarget, extensionOfTarget(headers.redirectTarget)};
  // A site that sends the file itself names it by the file name it gives, or else by its bytes.
  if (offered.extension.empty() && headers.finalAnswer().status == 200) {
    offered.name = headers.finalAnswer().attachmentName;
    offered.extension = offered.name.empty() ? extensionOfContent(head) : extensionOfTarget(offered.name);
  }
  offered.name = offered.name.substr(0, offered.name.find_first_of(u"?#"));
  return offered;
}

std::u16string extensionOfTarget(std::u16string_view target) {
  // A query or fragment is no part of the file's name.
  target = target.substr(0, target.find_first_of(u"?#"));
  const std::size_t dot = target.rfind(u'.');
  if (dot == std::u16string_view::npos || dot == 0) return {};
  if (target[dot - 1] == u'/' || target[dot - 1] == u'\\') return {};
  std::u16string_view extension = target.substr(dot + 1);
  if (extension.find_first_of(u" /\\") != std::u16string_view::npos) return {};
  extension = extension.substr(0, extension.find(u'"'));
  return lowerCase(extension);
}

std::u16string extensionOfContent(std::string_view head) {
  // Each type stands for its signature: doc for any compound file, zip for any zip archive.
  constexpr std::u16string_view kSigned[] = {u"pdf", u"doc", u"zip", u"rar", u"7z"};
  for (const std::u16string_view extension : kSigned) {
    if (fileTypeMismatch(extension, head, u"").empty()) return std::u16string(extension);
  }
  return {};
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
  return std::find(std::begin(kRunnableTypes), std::end(kRunnableTypes), lowerCase(extension)) !=
         std::end(kRunnableTypes);
}

std::u16string fileTypeMismatch(std::u16string_view extension, std::string_view head,
                                std::u16string_view mediaType) {
  head = head.substr(0, kFileTypeHeadBytes);
  const bool webPage = isWebPage(head, mediaType);
  bool fits = !webPage;
  if (isRunnableType(extension)) return runnableTypeReason(extension);
  // For a known type the bytes decide, whatever the answer announced.
  for (const KnownType &known : kKnownTypes) {
    if (known.extension != extension) continue;
    fits = known.anywhere ? head.find(known.signature) != std::string_view::npos
                          : head.starts_with(known.signature);
  }
  if (fits) return {};
  return u"not a " + std::u16string(extension) + u" file: the site sent " +
         (webPage ? u"a web page (" : u"something else (") +
         (mediaType.empty() ? std::u16string(u"no content type") : std::u16string(mediaType)) + u")";
}

}  // namespace hengdian
