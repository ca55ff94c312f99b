#pragma once
// The food-standards library site, reached over plain http://: searched by GET, its status images
// mapped to the status vocabulary, and the only site that serves an item's preview and file.

#include <string_view>

#include "lookup/site.h"

namespace hengdian {

/// The status text of a hit whose status image the library site does not know.
inline constexpr std::u16string_view kUnknownStatus = u"未知";

/// The status text of a library-site status image code: "现行有效" for "xxyx", "即将实施", "已经废止",
/// "部分有效" and "即将废止" for "jjss", "yjfz", "bfyx" and "jjfz" (exactly); `kUnknownStatus` otherwise.
std::u16string_view imageStatusText(std::u16string_view imageCode);

/// The library site's description.
extern const SiteDescription kLibrarySite;

}  // namespace hengdian
