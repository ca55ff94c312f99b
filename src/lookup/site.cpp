#include "lookup/site.h"

#include "lookup/hit_blocks.h"
#include "lookup/library_site.h"
#include "lookup/portal_site.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

/// The descriptions, in the order of the sites' numbers.
constexpr const SiteDescription *kDescriptions[] = {&kLibrarySite, &kPortalSite};
static_assert(std::size(kDescriptions) == std::size(kSites));

}  // namespace

Site siteAt(std::int32_t number) {
  if (number < 0 || static_cast<std::size_t>(number) >= std::size(kSites)) return Site::Library;
  return kSites[number];
}

const SiteDescription &siteDescription(Site site) {
  return *kDescriptions[static_cast<std::size_t>(site)];
}

std::optional<std::u16string> webAddress(std::u16string_view link, std::u16string_view) {
  const std::u16string lower = lowerCase(link.substr(0, 8));
  if (lower.starts_with(u"http://") || lower.starts_with(u"https://")) return std::u16string(link);
  return std::nullopt;
}

ParsedPage parseResultPage(Site site, std::u16string_view page, std::u16string_view code,
                           std::u16string_view name, std::u16string_view host) {
  return lineOf(siteDescription(site).records(page, code, name, host));
}

}  // namespace hengdian
