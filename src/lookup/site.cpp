#include "lookup/site.h"

#include <string>
#include <utility>

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
  ParsedPage parsed = lineOf(siteDescription(site).records(page, code, name, host));
  parsed.drift = pageDrift(site, parsed.records, host);
  return parsed;
}

PageDrift &PageDrift::operator+=(const PageDrift &other) {
  hits += other.hits;
  withoutStatus += other.withoutStatus;
  withoutTitle += other.withoutTitle;
  withoutDates += other.withoutDates;
  withoutLink += other.withoutLink;
  return *this;
}

PageDrift pageDrift(Site site, const std::vector<HitRecord> &records, std::u16string_view host) {
  // A hit without a link of its own gets the bare base address on a site that makes links absolute.
  const std::u16string bareBase = std::u16string(siteDescription(site).scheme) + std::u16string(host);
  PageDrift drift;
  for (const HitRecord &record : records) {
    ++drift.hits;
    drift.withoutStatus += record.status.empty() || record.status == kUnknownStatus;
    drift.withoutTitle += record.title.empty();
    drift.withoutDates += record.publicationDate.empty();
    drift.withoutLink += record.link.empty() || record.link == bareBase;
  }
  return drift;
}

std::string missingParts(const PageDrift &drift) {
  const std::pair<const char *, std::size_t> parts[] = {{"status", drift.withoutStatus},
                                                        {"title", drift.withoutTitle},
                                                        {"dates", drift.withoutDates},
                                                        {"link", drift.withoutLink}};
  std::string text;
  for (const auto &[word, count] : parts) {
    if (count == 0) continue;
    if (!text.empty()) text += ", ";
    text +=
        std::string(word) + " in " + std::to_string(count) + " of " + std::to_string(drift.hits) + " hits";
  }
  return text;
}

}  // namespace hengdian
