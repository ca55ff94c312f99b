#include "lookup/library_site.h"

#include <utility>

#include "lookup/hit_blocks.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

constexpr std::u16string_view kScheme = u"http://";

// The library page is known only by these texts around each hit.
constexpr std::u16string_view kHitMarker = u"<span class=\"bzmc\"><A title=\"";
constexpr std::u16string_view kImagePath = u"skin/default/images/";
constexpr std::u16string_view kImageEnd = u".gif";
constexpr std::u16string_view kTitleEnd = u"\" href=\"";
constexpr std::u16string_view kPublicationDateStart = u"<span class=\"bzrq\">";
constexpr std::u16string_view kImplementationDateStart = u"<span class=\"bzck\">";
constexpr std::u16string_view kSpanEnd = u"</span>";
constexpr std::u16string_view kLinkStart = u"href=\"";
constexpr std::u16string_view kLinkEnd = u"\"";

/// The status images' codes and what they say; the first is in force, the third withdrawn.
constexpr std::pair<std::u16string_view, std::u16string_view> kStatusImages[] = {
    {u"xxyx", u"现行有效"}, {u"jjss", u"即将实施"}, {u"yjfz", u"已经废止"},
    {u"bfyx", u"部分有效"}, {u"jjfz", u"即将废止"},
};

std::u16string address(std::u16string_view host, std::u16string_view pathAndQuery,
                       std::u16string_view tail = {}) {
  std::u16string url(kScheme);
  url.append(host).append(pathAndQuery).append(tail);
  return url;
}

SearchRequest searchRequest(std::u16string_view host, std::u16string_view code) {
  return {HttpMethod::Get,
          address(host, u"/standard/search.php?corpstandard=2&fields=0&kw=", urlEncode(code))};
}

std::vector<HitRecord> records(std::u16string_view page, std::u16string_view code, std::u16string_view name,
                               std::u16string_view) {
  std::vector<HitRecord> found;
  for (const std::u16string_view block : hitBlocks(page, kHitMarker)) {
    const std::u16string rawTitle = fieldOf(block, 1, kTitleEnd);
    HitRecord record;
    record.marker = classifyHit(rawTitle, code, name);
    record.status = imageStatusText(fieldBetween(block, kImagePath, kImageEnd));
    record.title = singleLine(replaceAll(rawTitle, u"\u3000", u" "));
    record.publicationDate = singleLine(fieldBetween(block, kPublicationDateStart, kSpanEnd));
    record.implementationDate = singleLine(fieldBetween(block, kImplementationDateStart, kSpanEnd));
    // The block's first href is the one that closes the title, so this is the title anchor's link.
    record.link = singleLine(fieldBetween(block, kLinkStart, kLinkEnd));
    found.push_back(std::move(record));
  }
  return found;
}

std::optional<std::u16string> pageAddress(std::u16string_view link, std::u16string_view host) {
  // A library page links its own pages by their path.
  if (link.starts_with(u"/")) return address(host, link);
  return webAddress(link, host);
}

}  // namespace

std::u16string_view imageStatusText(std::u16string_view imageCode) {
  for (const auto &[code, text] : kStatusImages) {
    if (code == imageCode) return text;
  }
  return kUnknownStatus;
}

constexpr SiteDescription kLibrarySite{
    .name = "library",
    .chooserText = u"食品伙伴网",
    .scheme = kScheme,
    .defaultHost = u"" HENGDIAN_LIBRARY_HOST,
    .searchRequest = searchRequest,
    // A page without hits may be a passing failure of the site.
    .secondAttempt = {10, std::chrono::milliseconds(1010)},
    .records = records,
    .words = {kStatusImages[0].second, kStatusImages[2].second},
    .pageAddress = pageAddress,
    .previewAddress =
        [](std::u16string_view host, std::u16string_view itemId) {
          return address(host, u"/standard/yulan.php?itemid=", itemId);
        },
    .downloadAddress =
        [](std::u16string_view host, std::u16string_view itemId) {
          return address(host, u"/standard/down.php?auth=", itemId);
        },
    .refererAddress = [](std::u16string_view host) { return address(host, u"/standard/index.html"); },
};

}  // namespace hengdian
