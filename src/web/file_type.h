#pragma once
// What a downloaded body must look like to count as a file of the type its redirect promised: a
// login page or an error in JSON sent in place of a PDF is no PDF, whatever its status.

#include <cstddef>
#include <string>
#include <string_view>

#include "web/response_headers.h"

namespace hengdian {

/// How many of a body's first bytes its type is judged by.
inline constexpr std::size_t kFileTypeHeadBytes = 1024;

/// Whether a file of type `extension` (the text behind the last dot of a file name, any case) is
/// one that Windows or a Linux desktop would run when it is opened: exe, bat, js, lnk, msi, sh,
/// desktop and their like. Such a file is never saved, whatever its bytes, so that a redirect
/// cannot plant a program under a standard's name.
bool isRunnableType(std::u16string_view extension);

/// Why a file of type `extension` is not saved when `isRunnableType` says it would run.
std::u16string runnableTypeReason(std::u16string_view extension);

/// The file a download's answer offers: its name as the site gives it, without a query or
/// fragment, and its type (lower case, without the dot; "" when none shows).
struct OfferedFile {
  std::u16string name;
  std::u16string extension;
};

/// The file offered by an answer with `headers` whose body starts with `head`: the redirect
/// target's; for a file sent under status 200 without one, the name its Content-Disposition
/// gives, or else the type its first bytes show.
OfferedFile offeredFile(const ResponseHeaders &headers, std::string_view head);

/// The extension of a redirect target as the download computes it, lower-cased; "" when none.
std::u16string extensionOfTarget(std::u16string_view target);

/// The type a body shows by its first bytes: pdf ("%PDF-" within them), doc (the compound-file
/// signature), zip, rar or 7z; "" for any other.
std::u16string extensionOfContent(std::string_view head);

/// Why a non-empty body whose first bytes are `head` (only kFileTypeHeadBytes of them count), sent as
/// `mediaType`, is no file of type `extension`; "" when it is one. A pdf needs "%PDF-" within its
/// head; doc, xls, ppt, the Office Open types, zip, rar and 7z their signature at the start;
/// htm, html, xhtml, json, xml and txt take any body; a type that would run (`isRunnableType`)
/// none; any other type any body but a web page (announced as HTML, XHTML or JSON, or starting
/// with "<!doctype html" or "<html").
std::u16string fileTypeMismatch(std::u16string_view extension, std::string_view head,
                                std::u16string_view mediaType);

}  // namespace hengdian
