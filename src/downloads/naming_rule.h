#pragma once
// File names for downloaded standards, built from a naming rule with placeholders for the code,
// in four spellings, the name and the extension, and the path a download saves under.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hengdian {

inline constexpr std::u16string_view kDefaultNamingRule = u"[标准代号2] [标准名称].[扩展名]";

/// Spelling 1 to 4 of a code: "/" removed (1, 3) or replaced by U+2044 (2, 4); 3 and 4 cut
/// before the first "-". Any other form number gives the code unchanged.
std::u16string codeForm(std::u16string_view code, int form);

/// Where a naming rule puts the standard's name.
inline constexpr std::u16string_view kNamePlaceholder = u"[标准名称]";
/// Where a naming rule puts the file's extension; filled in once the download knows the type.
inline constexpr std::u16string_view kExtensionPlaceholder = u"[扩展名]";

/// The rule with the four code placeholders replaced, in the order 1, 2, 3, 4; the name and
/// extension placeholders are still in it.
std::u16string expandCodeForms(std::u16string_view rule, std::u16string_view code);

/// The rule with every placeholder but "[扩展名]" replaced, in the order 1, 2, 3, 4, name, each
/// step searching the text as the steps before it left it; nothing when a step would make it
/// longer than `limit` UTF-16 units. Each step's length is known before its text is built, so a
/// rule and a code full of placeholders never grow a huge text.
std::optional<std::u16string> expandNamingRule(std::u16string_view rule, std::u16string_view code,
                                               std::u16string_view name, std::size_t limit);

/// The path a download saves under once it knows the file's `extension`: `folder` directly
/// followed by `name` (an expanded rule), "[扩展名]" replaced by the extension in both, the name
/// made one the platform's file system holds (`platformFileName`). With both empty: the desktop
/// folder and the redirect target's own name with the extension.
std::u16string savedPath(std::u16string_view folder, std::u16string_view name, std::u16string_view extension,
                         std::u16string_view redirectTarget);

/// `path` with " (<number>)" put before the extension of its file name (behind the last dot that
/// follows a character of the name), or at its end when the name has none: "a/GB 1.pdf" and 2
/// give "a/GB 1 (2).pdf".
std::u16string numberedPath(std::u16string_view path, int number);

}  // namespace hengdian
