#pragma once
// What the results editor's popup menu offers for a row, and which addresses its page commands
// may hand to the system. Plain logic without wx, so it is tested without a menu.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "lookup/result_row.h"
#include "lookup/site.h"

namespace hengdian {

/// The enable states of the items that depend on the row; "批量下载标准" and "取消操作" are always
/// enabled.
struct RowMenuState {
  bool openPage = false;
  bool preview = false;
  bool downloadOne = false;

  bool operator==(const RowMenuState &) const = default;
};

/// The items for `row`: none of the three without a link, else the page, and the preview and the
/// download where the row's site serves them (the library site: all three; the portal site: only
/// the page).
RowMenuState rowMenuState(const ResultRow &row);

/// The address "查看标准网页" opens for `row`, as its site reads the link; nothing when the link
/// must not be opened.
std::optional<std::u16string> pageAddress(const ResultRow &row, const SiteHosts &hosts);

/// The address "预览标准" opens for `row`; nothing on a site without previews.
std::optional<std::u16string> previewAddress(const ResultRow &row, const SiteHosts &hosts);

/// The line, counted from 0, that holds character `position` of `text`.
std::size_t lineOfPosition(std::u16string_view text, std::size_t position);

}  // namespace hengdian
