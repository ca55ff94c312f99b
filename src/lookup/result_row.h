#pragma once
// What a check produces for every entered standard: the ResultLine shown on one line of the
// results editor, and the ResultRow the later commands act on.

#include <string>
#include <string_view>
#include <vector>

#include "lookup/site_id.h"

namespace hengdian {

/// One entered standard as the commands see it.
struct ResultRow {
  std::u16string code;  // entered code, spaces trimmed
  std::u16string name;  // entered name, replaced by the found name after a lookup with hits
  std::u16string link;  // detail link of the chosen hit; "" when nothing was found
  Site site = Site::Library;
  /// Why the site did not answer the lookup (a failed transfer, or a status outside 200 to 299);
  /// "" when it answered. Only the command-line tool reports it; the line reads as not found.
  std::u16string error{};

  bool operator==(const ResultRow &) const = default;
};

/// The text of one entry: the not-found text, or HitRecords back to back.
using ResultLine = std::u16string;

inline constexpr std::u16string_view kNotFoundLine = u"【★未查询到该标准!】";

/// How a hit's title compares with the entered code and name.
enum class MatchMarker {
  SameCodeSameName,
  SameCodeOtherName,
  SameCode,
  OtherCodeSameName,
  OtherCodeOtherName,
  OtherCode,
};

/// The marker as written at the start of a record: "【同号同名■" and so on.
std::u16string_view markerText(MatchMarker marker);

/// Whether the marker is one of the three 同号 markers.
bool isSameCode(MatchMarker marker);

/// One hit of a result page, its six fields as they go into the line.
struct HitRecord {
  MatchMarker marker = MatchMarker::OtherCode;
  std::u16string status;
  std::u16string title;               // U+3000 already replaced by spaces
  std::u16string publicationDate;     // the library site's bzrq span, the portal site's 发布日期
  std::u16string implementationDate;  // the library site's bzck span, the portal site's 实施日期
  std::u16string link;
};

/// The record's text: marker, status■title■publication date■implementation date■link】.
std::u16string recordText(const HitRecord &record);

/// The marker of a hit from its raw title and the row's code and name.
MatchMarker classifyHit(std::u16string_view rawTitle, std::u16string_view code, std::u16string_view name);

/// The name a title gives: the title with every occurrence of `code` removed, spaces trimmed.
std::u16string nameInTitle(std::u16string_view title, std::u16string_view code);

/// Sets the row's name and link from the first of its line's records: the title without the
/// entered code, and the link. Without records the name stays and the link is emptied.
void fillRow(ResultRow &row, const std::vector<HitRecord> &records);

/// Whether the row's link is at least four characters long.
bool hasLink(const ResultRow &row);

/// The row's item number on the library site: the link's last element without its extension.
std::u16string itemId(const ResultRow &row);

}  // namespace hengdian
