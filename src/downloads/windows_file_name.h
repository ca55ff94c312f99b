#pragma once
// File names Windows can hold. A title such as "第1部分:总则" would otherwise name an NTFS data
// stream of a file "第1部分", and names such as "CON" or "a." would not come out as logged.

#include <string>
#include <string_view>

namespace hengdian {

/// `name` (an expanded naming rule with its extension filled in, no folder in front) as Windows
/// can hold it, element by element between "/" and "\" (which stay; "." and ".." stay too):
/// each of : * ? " < > | becomes its full-width form and each control character a space;
/// trailing dots and spaces go; an element whose part before its first dot, spaces at its end
/// aside, is a device name (CON, PRN, AUX, NUL, COM1 to COM9, COM¹ to COM³, LPT1 to LPT9, LPT¹ to
/// LPT³, in any case) gets "_" after that name.
std::u16string windowsFileName(std::u16string_view name);

/// The name as the platform's file system holds it: `windowsFileName` on Windows, the name
/// unchanged elsewhere.
std::u16string platformFileName(std::u16string_view name);

/// The form of `path` under which the platform's file system tells files apart: lower-cased on
/// Windows, where "GB 1.pdf" and "gb 1.PDF" are one file; unchanged elsewhere.
std::u16string platformPathKey(std::u16string_view path);

}  // namespace hengdian
