#pragma once
// Pieces the sites' result parsers share: cutting a page into its hit blocks in one pass, a field
// between two markers, keeping a record on one line, and putting the records of a line in their
// order.

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lookup/site.h"
#include "runtime/text.h"

namespace hengdian {

/// The text behind each hit marker up to the next one (the last up to the end of the page): for
/// the j-th hit the same text as field j + 1 of the page cut at the marker, found in one scan.
inline std::vector<std::u16string_view> hitBlocks(std::u16string_view page, std::u16string_view marker) {
  std::vector<std::u16string_view> blocks;
  if (page.empty() || marker.empty()) return blocks;
  std::size_t at = findText(page, marker);
  while (at != std::u16string_view::npos) {
    const std::size_t start = at + marker.size();
    at = findText(page, marker, start);
    const std::size_t end = at == std::u16string_view::npos ? page.size() : at;
    blocks.push_back(page.substr(start, end - start));
  }
  return blocks;
}

/// Field 1 at `end` of field 2 at `start` of `block` (the text behind the block's first `start` up
/// to the next `end`, or up to the next `start` when that comes first), the same as
/// `fieldOf(fieldOf(block, 2, start), 1, end)`, but scanning only as far as the end marker instead
/// of the whole rest of the block.
inline std::u16string fieldBetween(std::u16string_view block, std::u16string_view start,
                                   std::u16string_view end) {
  if (start.empty() || end.empty()) return fieldOf(fieldOf(block, 2, start), 1, end);
  const std::size_t found = findText(block, start);
  if (found == std::u16string_view::npos) return {};
  const std::size_t from = found + start.size();
  const std::size_t stop = findText(block, end, from);
  // The field runs up to the next `start`; an end marker counts only when it lies wholly before
  // that, so only a `start` beginning before the end marker's last character matters.
  const std::size_t limit = stop == std::u16string_view::npos ? block.size() : stop + end.size() - 1;
  const std::size_t next =
      findText(block.substr(0, std::min(block.size(), limit + start.size())), start, from);
  if (next != std::u16string_view::npos) return std::u16string(block.substr(from, next - from));
  if (stop == std::u16string_view::npos) return std::u16string(block.substr(from));
  return std::u16string(block.substr(from, stop - from));
}

/// Whether a text control or a terminal takes `c` as a line break or a control: the C0 controls
/// but TAB, DEL, the C1 controls, and the line and paragraph separators.
constexpr bool breaksLine(char16_t c) {
  return (c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

/// `text` with every character that `breaksLine` turned into one space: a line break inside a
/// record would push every later entry of the results editor onto the wrong line, and an escape
/// sequence would drive the terminal that shows the results.
inline std::u16string singleLine(std::u16string_view text) {
  std::u16string line(text);
  for (char16_t &c : line) {
    if (breaksLine(c)) c = u' ';
  }
  return line;
}

/// A page's records (given in page order) put in the line's order, 同号 records first, the one
/// furthest down the page in front, then the others in page order, and the line joined from them:
/// the not-found text when there are none.
inline ParsedPage lineOf(std::vector<HitRecord> records) {
  const auto others = std::stable_partition(
      records.begin(), records.end(), [](const HitRecord &record) { return isSameCode(record.marker); });
  std::reverse(records.begin(), others);
  ParsedPage page;
  if (records.empty()) page.line = kNotFoundLine;
  for (const HitRecord &record : records)
    page.line.append(recordText(record));
  page.records = std::move(records);
  return page;
}

}  // namespace hengdian
