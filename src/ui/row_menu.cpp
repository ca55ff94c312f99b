#include "ui/row_menu.h"

#include <algorithm>

#include "runtime/text.h"

namespace hengdian {

RowMenuState rowMenuState(const ResultRow &row) {
  if (!hasLink(row)) return {};
  const bool library = row.site != PortalSite;
  return {true, library, library};
}

std::optional<std::u16string> pageAddress(std::u16string_view link, std::u16string_view libraryHost) {
  const std::u16string lower = lowerCase(link.substr(0, 8));
  if (lower.starts_with(u"http://") || lower.starts_with(u"https://")) return std::u16string(link);
  if (link.starts_with(u"/")) return u"http://" + std::u16string(libraryHost) + std::u16string(link);
  return std::nullopt;
}

std::size_t lineOfPosition(std::u16string_view text, std::size_t position) {
  const std::u16string_view before = text.substr(0, std::min(position, text.size()));
  return static_cast<std::size_t>(std::count(before.begin(), before.end(), u'\n'));
}

}  // namespace hengdian
