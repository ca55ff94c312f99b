#include <utility>

#include "lookup/hit_blocks.h"
#include "lookup/result_parser.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

// The library page is known only by these texts around each hit.
constexpr std::u16string_view kHitMarker = u"<span class=\"bzmc\"><A title=\"";
constexpr std::u16string_view kImagePath = u"skin/default/images/";
constexpr std::u16string_view kImageEnd = u".gif";
constexpr std::u16string_view kTitleEnd = u"\" href=\"";
constexpr std::u16string_view kFourthStart = u"<span class=\"bzrq\">";
constexpr std::u16string_view kFifthStart = u"<span class=\"bzck\">";
constexpr std::u16string_view kSpanEnd = u"</span>";
constexpr std::u16string_view kLinkStart = u"href=\"";
constexpr std::u16string_view kLinkEnd = u"\"";

// The text behind the block's first `start` up to the next `end`.
std::u16string between(std::u16string_view block, std::u16string_view start, std::u16string_view end) {
  return fieldBetween(block, start, end);
}

}  // namespace

std::vector<HitRecord> libraryRecords(std::u16string_view page, std::u16string_view code,
                                      std::u16string_view name) {
  std::vector<HitRecord> records;
  for (const std::u16string_view block : hitBlocks(page, kHitMarker)) {
    const std::u16string rawTitle = fieldOf(block, 1, kTitleEnd);
    HitRecord record;
    record.marker = classifyHit(rawTitle, code, name);
    record.status = statusText(statusForImageCode(between(block, kImagePath, kImageEnd)));
    record.title = singleLine(replaceAll(rawTitle, u"\u3000", u" "));
    record.fourth = singleLine(between(block, kFourthStart, kSpanEnd));
    record.fifth = singleLine(between(block, kFifthStart, kSpanEnd));
    // The block's first href is the one that closes the title, so this is the title anchor's link.
    record.link = singleLine(between(block, kLinkStart, kLinkEnd));
    records.push_back(std::move(record));
  }
  return records;
}

StatusWords libraryStatusWords() {
  return {statusText(StandardStatus::InForce), statusText(StandardStatus::Withdrawn)};
}

StatusWords statusWords(std::int32_t site) {
  return site == PortalSite ? portalStatusWords() : libraryStatusWords();
}

ParsedPage parsePage(std::int32_t site, std::u16string_view page, std::u16string_view code,
                     std::u16string_view name, std::u16string_view portalBase) {
  if (site == PortalSite) return lineOf(portalRecords(page, code, name, portalBase));
  return lineOf(libraryRecords(page, code, name));
}

ResultLine parseResultPage(std::int32_t site, std::u16string_view page, std::u16string_view code,
                           std::u16string_view name, std::u16string_view portalBase) {
  return parsePage(site, page, code, name, portalBase).line;
}

ResultLine parseLibraryPage(std::u16string_view page, std::u16string_view code, std::u16string_view name) {
  return lineOf(libraryRecords(page, code, name)).line;
}

}  // namespace hengdian
