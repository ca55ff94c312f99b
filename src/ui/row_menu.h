#pragma once
// What the results editor's popup menu offers for a row, and which addresses its page commands
// may hand to the system. Plain logic without wx, so it is tested without a menu.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "lookup/result_row.h"

namespace hengdian {

/// The enable states of the items that depend on the row; "批量下载标准" and "取消操作" are always
/// enabled.
struct RowMenuState {
  bool openPage = false;
  bool preview = false;
  bool downloadOne = false;

  bool operator==(const RowMenuState &) const = default;
};

/// The items for `row`: none of the three without a link, only the page for a portal row, all
/// three for a library row with a link.
RowMenuState rowMenuState(const ResultRow &row);

/// The address to open for a row's link, or nothing when the link must not be opened. The link
/// comes from a web page, so only web addresses go to the system: "http://" and "https://" (in
/// any case) as they are, and a link that begins with "/" on the library site, which is what such
/// a page means by it. A file path, a drive or share path or another scheme is never opened.
std::optional<std::u16string> pageAddress(std::u16string_view link, std::u16string_view libraryHost);

/// The line, counted from 0, that holds character `position` of `text`.
std::size_t lineOfPosition(std::u16string_view text, std::size_t position);

}  // namespace hengdian
