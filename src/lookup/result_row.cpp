#include "lookup/result_row.h"

#include "runtime/text.h"

namespace hengdian {

namespace {

constexpr std::u16string_view kFieldSeparator = u"■";
constexpr std::u16string_view kRecordEnd = u"】";

}  // namespace

std::u16string_view markerText(MatchMarker marker) {
  // In the order of MatchMarker.
  constexpr std::u16string_view kTexts[] = {u"【同号同名■", u"【同号异名■", u"【同号■",
                                            u"【异号同名■", u"【异号异名■", u"【异号■"};
  return kTexts[static_cast<std::size_t>(marker)];
}

bool isSameCode(MatchMarker marker) {
  return marker == MatchMarker::SameCodeSameName || marker == MatchMarker::SameCodeOtherName ||
         marker == MatchMarker::SameCode;
}

std::u16string recordText(const HitRecord &record) {
  const std::u16string_view marker = markerText(record.marker);
  std::u16string text;
  text.reserve(marker.size() + record.status.size() + record.title.size() + record.publicationDate.size() +
               record.implementationDate.size() + record.link.size() + 5);
  text.append(marker);
  text.append(record.status);
  text.append(kFieldSeparator);
  text.append(record.title);
  text.append(kFieldSeparator);
  text.append(record.publicationDate);
  text.append(kFieldSeparator);
  text.append(record.implementationDate);
  text.append(kFieldSeparator);
  text.append(record.link);
  text.append(kRecordEnd);
  return text;
}

MatchMarker classifyHit(std::u16string_view rawTitle, std::u16string_view code, std::u16string_view name) {
  const bool sameCode = positionOf(rawTitle, code) >= 1;
  if (name.empty()) return sameCode ? MatchMarker::SameCode : MatchMarker::OtherCode;

  // Sites separate code and name by an ideographic space as often as by a plain one.
  std::u16string expected(code);
  expected.push_back(u' ');
  expected.append(name);
  const bool sameName = replaceAll(rawTitle, u"\u3000", u" ") == expected;
  if (sameCode) return sameName ? MatchMarker::SameCodeSameName : MatchMarker::SameCodeOtherName;
  return sameName ? MatchMarker::OtherCodeSameName : MatchMarker::OtherCodeOtherName;
}

std::u16string nameInTitle(std::u16string_view title, std::u16string_view code) {
  return trimSpaces(replaceAll(title, code, u""));
}

void fillRow(ResultRow &row, const std::vector<HitRecord> &records) {
  if (records.empty()) {
    row.link.clear();
    return;
  }
  // Read from the record's own fields: a title may hold the separator itself.
  row.name = nameInTitle(records.front().title, row.code);
  row.link = records.front().link;
}

bool hasLink(const ResultRow &row) {
  return row.link.size() >= 4;
}

std::u16string itemId(const ResultRow &row) {
  return fileNamePart(row.link, true);
}

}  // namespace hengdian
