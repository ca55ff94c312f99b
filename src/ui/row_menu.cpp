#include "ui/row_menu.h"

#include <algorithm>

namespace hengdian {

RowMenuState rowMenuState(const ResultRow &row) {
  if (!hasLink(row)) return {};
  const SiteDescription &site = siteDescription(row.site);
  return {true, site.previewAddress != nullptr, site.downloadAddress != nullptr};
}

std::optional<std::u16string> pageAddress(const ResultRow &row, const SiteHosts &hosts) {
  return siteDescription(row.site).pageAddress(row.link, hosts[row.site]);
}

std::optional<std::u16string> previewAddress(const ResultRow &row, const SiteHosts &hosts) {
  const SiteDescription &site = siteDescription(row.site);
  if (!site.previewAddress) return std::nullopt;
  return site.previewAddress(hosts[row.site], itemId(row));
}

std::size_t lineOfPosition(std::u16string_view text, std::size_t position) {
  const std::u16string_view before = text.substr(0, std::min(position, text.size()));
  return static_cast<std::size_t>(std::count(before.begin(), before.end(), u'\n'));
}

}  // namespace hengdian
