#pragma once
// What a downloaded body must look like to count as a file of the type its redirect promised: a
// login page or an error in JSON sent in place of a PDF is no PDF, whatever its status.

#include <cstddef>
#include <string>
#include <string_view>

namespace hengdian {

/// How many of a body's first bytes its type is judged by.
inline constexpr std::size_t kFileTypeHeadBytes = 1024;

/// The media type the last response of a redirect chain announces (`headerText` holds the header
/// lines of the whole chain): its Content-Type lower-cased, without parameters and spaces; ""
/// when it announces none.
std::u16string finalMediaType(std::u16string_view headerText);

/// Whether a file of type `extension` (the text behind the last dot of a file name, any case) is
/// one that Windows or a Linux desktop would run when it is opened: exe, bat, js, lnk, msi, sh,
/// desktop and their like. Such a file is never saved, whatever its bytes, so that a redirect
/// cannot plant a program under a standard's name.
bool isRunnableType(std::u16string_view extension);

/// Why a file of type `extension` is not saved when `isRunnableType` says it would run.
std::u16string runnableTypeReason(std::u16string_view extension);

/// The file name the last response of a redirect chain gives in its Content-Disposition
/// (`filename*=UTF-8''…` percent-decoded, before `filename=`), lower-cased; "" when it gives none.
std::u16string attachmentName(std::u16string_view headerText);

/// The type a body shows by its first bytes: pdf ("%PDF-" within them), doc (the compound-file
/// signature), zip, rar or 7z; "" for any other.
std::u16string extensionOfContent(std::string_view head);

/// Why a non-empty body whose first bytes are `head` (at most kFileTypeHeadBytes), sent as
/// `mediaType`, is no file of type `extension`; "" when it is one. A pdf needs "%PDF-" within its
/// head; doc, xls, ppt, the Office Open types, zip, rar and 7z their signature at the start;
/// htm, html, xhtml, json, xml and txt take any body; a type that would run (`isRunnableType`)
/// none; any other type any body but a web page (announced as HTML, XHTML or JSON, or starting
/// with "<!doctype html" or "<html").
std::u16string fileTypeMismatch(std::u16string_view extension, std::string_view head,
                                std::u16string_view mediaType);

}  // namespace hengdian
