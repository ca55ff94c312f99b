#pragma once
// File names for downloaded standards, built from a naming rule with placeholders for the code,
// in four spellings, and the name.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "web/download.h"

namespace hengdian {

inline constexpr std::u16string_view kDefaultNamingRule = u"[标准代号2] [标准名称].[扩展名]";

/// Spelling 1 to 4 of a code: "/" removed (1, 3) or replaced by U+2044 (2, 4); 3 and 4 cut
/// before the first "-". Any other form number gives the code unchanged.
std::u16string codeForm(std::u16string_view code, int form);

/// Where a naming rule puts the standard's name.
inline constexpr std::u16string_view kNamePlaceholder = u"[标准名称]";

/// The rule with the four code placeholders replaced, in the order 1, 2, 3, 4; the name and
/// extension placeholders are still in it.
std::u16string expandCodeForms(std::u16string_view rule, std::u16string_view code);

/// The rule with every placeholder but "[扩展名]" replaced, in the order 1, 2, 3, 4, name.
std::u16string expandNamingRule(std::u16string_view rule, std::u16string_view code, std::u16string_view name);

/// The download's target path: the folder text followed by the expanded name, nothing added.
std::u16string targetPath(std::u16string_view folder, std::u16string_view rule, std::u16string_view code,
                          std::u16string_view name);

/// The target path as `targetPath` builds it, or nothing when it would be longer than `limit`
/// UTF-16 units. Each step's length is known before its text is built, so a rule and a code full
/// of placeholders never grow a huge text.
std::optional<std::u16string> targetPathWithin(std::u16string_view folder, std::u16string_view rule,
                                               std::u16string_view code, std::u16string_view name,
                                               std::size_t limit);

}  // namespace hengdian
