#include "lookup/portal_site.h"

#include <utility>

#include "lookup/hit_blocks.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

constexpr std::u16string_view kScheme = u"https://";

// The portal page is known only by these texts around each hit.
constexpr std::u16string_view kHitMarker = u"<div class=\"search-list\">";
constexpr std::u16string_view kStatusStart = u"<span style=";
constexpr std::u16string_view kStatusEnd = u"</span>";
constexpr std::u16string_view kTitleStart = u"<span alt=\"";
constexpr std::u16string_view kQuote = u"\"";
constexpr std::u16string_view kPublishedLabel = u"\">发布日期";
constexpr std::u16string_view kInForceLabel = u"\">实施日期";
constexpr std::u16string_view kLinkStart = u"<a class=\"flexible\" href=\"";

// The page wraps statuses and dates over several indented lines; only the words count.
std::u16string cleaned(std::u16string_view text) {
  std::u16string result(text);
  std::erase_if(result, [](char16_t unit) { return unit == u'\r' || unit == u'\n' || unit == u'\t'; });
  return trimSpaces(result);
}

// The status element holds its text either directly or inside one nested tag.
std::u16string statusOf(std::u16string_view block) {
  const std::u16string element = fieldBetween(block, kStatusStart, kStatusEnd);
  if (countOf(element, u">") <= 1) return cleaned(fieldOf(element, 2, u">"));
  return cleaned(fieldOf(fieldOf(element, 3, u">"), 1, u"<"));
}

// The text of the tag behind a date label, up to the next tag: field 1 at "<" of field 2 at ">" of
// field 2 at the label. Field 2 at the label runs up to the label's next occurrence, but the date
// ends at the first "<" or second ">" behind the first ">", so the label is looked for only that
// far instead of through the rest of the block.
std::u16string dateOf(std::u16string_view block, std::u16string_view label) {
  const std::size_t found = findText(block, label);
  if (found == std::u16string_view::npos) return {};
  std::u16string_view field = block.substr(found + label.size());
  const std::size_t open = field.find(u'>');
  if (open == std::u16string_view::npos) return {};
  const std::size_t close = std::min(field.find_first_of(u"<>", open + 1), field.size());
  const std::size_t next = findText(field.substr(0, close + label.size()), label);
  if (next != std::u16string_view::npos) field = field.substr(0, next);
  return cleaned(fieldBetween(field, u">", u"<"));
}

SearchRequest searchRequest(std::u16string_view host, std::u16string_view code) {
  std::u16string form = u"text=";
  form.append(code);
  std::u16string address(kScheme);
  address.append(host).append(u"/basicsearch");
  return {HttpMethod::Post, std::move(address), urlEncode(form) + u"&search=a100", true};
}

std::vector<HitRecord> records(std::u16string_view page, std::u16string_view code, std::u16string_view name,
                               std::u16string_view host) {
  std::vector<HitRecord> found;
  for (const std::u16string_view block : hitBlocks(page, kHitMarker)) {
    const std::u16string rawTitle = fieldBetween(block, kTitleStart, kQuote);
    HitRecord record;
    record.marker = classifyHit(rawTitle, code, name);
    record.status = singleLine(statusOf(block));
    record.title = singleLine(replaceAll(rawTitle, u"\u3000", u" "));
    record.publicationDate = singleLine(dateOf(block, kPublishedLabel));
    record.implementationDate = singleLine(dateOf(block, kInForceLabel));
    // The href goes behind the base address as it stands, with no check of its form.
    std::u16string link(kScheme);
    link.append(host).append(fieldBetween(block, kLinkStart, kQuote));
    record.link = singleLine(link);
    found.push_back(std::move(record));
  }
  return found;
}

}  // namespace

constexpr SiteDescription kPortalSite{
    .name = "portal",
    .chooserText = u"中国标网",
    .scheme = kScheme,
    .defaultHost = u"" HENGDIAN_PORTAL_HOST,
    .searchRequest = searchRequest,
    .records = records,
    // The page prints its own words, not the library site's status vocabulary.
    .words = {u"现行", u"废止"},
    // Its links are made absolute with its own address.
    .pageAddress = webAddress,
};

}  // namespace hengdian
