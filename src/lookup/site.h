#pragma once
// What each site offers, as a plain description: its search request and parser, its words for in
// force and withdrawn, the address a row's link opens and, on the library site, an item's preview
// and download. Each site's knowledge lives in its own file pair (library_site.*, portal_site.*);
// the check, the window, the downloads and the command line ask the description.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/result_row.h"
#include "lookup/site_id.h"
#include "web/decoding.h"

namespace hengdian {

/// Every site, in the order of their numbers.
inline constexpr Site kSites[] = {Site::Library, Site::Portal};

/// The site numbered `number` (a site chooser item, a "site" in JSON); the library site for a
/// number that names none.
Site siteAt(std::int32_t number);

/// One value for every site.
template <typename Value>
struct PerSite {
  std::array<Value, std::size(kSites)> values{};

  Value &operator[](Site site) { return values[static_cast<std::size_t>(site)]; }
  const Value &operator[](Site site) const { return values[static_cast<std::size_t>(site)]; }
};

/// host[:port] of every site; the scheme is the site's own.
using SiteHosts = PerSite<std::u16string>;

/// The words a site's records use for a standard in force and for a withdrawn one.
struct StatusWords {
  std::u16string_view inForce;
  std::u16string_view withdrawn;
};

/// How a site whose page without hits may be a passing failure is asked once more: after `waits`
/// waits of `wait` each. None when `waits` is 0.
struct SecondAttempt {
  int waits = 0;
  std::chrono::milliseconds wait{0};
};

/// What a site offers. `host` is always the site's own host[:port].
struct SiteDescription {
  std::string_view name;            // "library": --site library, --library-host, "the library site"
  std::u16string_view chooserText;  // the site chooser's item
  std::u16string_view scheme;       // "http://"
  std::u16string_view defaultHost;  // the build configuration's
  SearchRequest (*searchRequest)(std::u16string_view host, std::u16string_view code);
  /// Whether and when a search page without hits is asked for once more.
  SecondAttempt secondAttempt{};
  /// The hits of a search page in page order, classified against the entered code and name.
  std::vector<HitRecord> (*records)(std::u16string_view page, std::u16string_view code,
                                    std::u16string_view name, std::u16string_view host);
  StatusWords words;
  /// The address a row's link opens in the browser; nothing when it must not be opened.
  std::optional<std::u16string> (*pageAddress)(std::u16string_view link, std::u16string_view host);
  /// An item's preview page, its download (answered by a redirect to the file) and the Referer the
  /// download sends; all null on a site that serves no files.
  std::u16string (*previewAddress)(std::u16string_view host, std::u16string_view itemId) = nullptr;
  std::u16string (*downloadAddress)(std::u16string_view host, std::u16string_view itemId) = nullptr;
  std::u16string (*refererAddress)(std::u16string_view host) = nullptr;
};

/// The description of `site`.
const SiteDescription &siteDescription(Site site);

/// `link` as it stands when it is a web address ("http://" or "https://", in any case), whatever
/// the host: a link comes from a web page, so a file path, a share or another scheme is never
/// opened.
std::optional<std::u16string> webAddress(std::u16string_view link, std::u16string_view host);

/// How many hits of a page (or of several) lacked each part the parser looks for: a sign that the
/// site has changed its pages. A status counts as lacking when the page showed none or none the
/// site's words know (the library site's "未知"); the dates when the first of the two is empty; the
/// link when the hit had none of its own.
struct PageDrift {
  std::size_t hits = 0;
  std::size_t withoutStatus = 0;
  std::size_t withoutTitle = 0;
  std::size_t withoutDates = 0;
  std::size_t withoutLink = 0;

  /// Whether some hit lacked some part.
  bool drifted() const { return withoutStatus + withoutTitle + withoutDates + withoutLink > 0; }
  /// Adds the counts of `other`.
  PageDrift &operator+=(const PageDrift &other);
  bool operator==(const PageDrift &) const = default;
};

/// What the hits `records` of a page of `site` at `host` lacked.
PageDrift pageDrift(Site site, const std::vector<HitRecord> &records, std::u16string_view host);

/// The parts of `drift` that hits lacked, in the words status, title, dates and link, each with
/// the number of hits: "title in 2 of 3 hits, link in 3 of 3 hits"; "" when none lacked any.
std::string missingParts(const PageDrift &drift);

/// A parsed page: its line, the records the line is made of, in the line's order (none when the
/// line is the not-found text), and what its hits lacked.
struct ParsedPage {
  ResultLine line;
  std::vector<HitRecord> records;
  PageDrift drift{};
};

/// The line for `page` from `site` at `host`, its records classified against the entered `code`
/// and `name`, the 同号 records first (hit_blocks.h's `lineOf`). Line breaks and control characters inside a
/// record (CR, LF, every other C0 control but TAB, DEL, the C1 controls, U+2028 and U+2029) become one space
/// each, so one entry stays on one line.
ParsedPage parseResultPage(Site site, std::u16string_view page, std::u16string_view code,
                           std::u16string_view name, std::u16string_view host);

}  // namespace hengdian
