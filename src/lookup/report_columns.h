#pragma once
// The report of a check as a table: its columns, each with its name and its text in an entry's row,
// shared by every place that writes the table (the spreadsheet text of the window and the command
// line, the workbook), and the state an entry stands in.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "lookup/query_job.h"

namespace hengdian {

/// One column of the report table: its name in the header row and its text in an entry's row.
struct ReportColumn {
  std::string_view header;  // UTF-8
  std::u16string (*value)(const CheckedEntry &entry);
};

/// The report's columns: the entered code and name, the first record's fields (its marker without
/// brackets, status, title, the two further fields, link), the whole result line and why the site
/// did not answer; with `withCurrent` then the version in force's code, name and status, and the latest
/// version's title and status when none is in force.
std::span<const ReportColumn> reportColumns(bool withCurrent);

/// The spreadsheet's header row: a UTF-8 BOM and the Chinese column names, ended by CR LF.
std::string csvHeader(bool withCurrent);

/// The spreadsheet's row of one entry: the entered code and name, the first record's fields (its
/// marker without brackets, status, title, the two further fields, link), the whole result line
/// and why the site did not answer; with `withCurrent` then the version in force's code, name and
/// status and, when none is in force, the latest version's title and status. Quoted where RFC 4180
/// asks for it, a cell that a spreadsheet would run as a formula behind an apostrophe, ended by
/// CR LF.
std::string csvRow(const CheckedEntry &entry, bool withCurrent);

/// Where the report's columns of the first record's status and link are.
inline constexpr std::size_t kStatusColumn = 3;
inline constexpr std::size_t kLinkColumn = 7;
/// Where the version in force's code is, among the columns `reportColumns(true)` gives.
inline constexpr std::size_t kCurrentCodeColumn = 10;

/// What a checked entry stands as, the first of these that applies: the site did not answer,
/// nothing found, in force (the first record's status is its site's word for it), withdrawn, any
/// other status.
enum class EntryState { NotAnswered, NotFound, InForce, Withdrawn, OtherStatus };

/// The state of `entry`.
EntryState entryState(const CheckedEntry &entry);

/// How a state shows, in the window and in the workbook alike: the fill and the font colour of
/// its cells (0xRRGGBB) and its word.
struct StateLook {
  EntryState state;
  std::uint32_t fill;
  std::uint32_t font;
  std::u16string_view word;
};

/// The looks of the states in the order the summary counts them.
inline constexpr std::array<StateLook, 5> kStateLooks = {{
    {EntryState::InForce, 0xC6EFCE, 0x006100, u"现行有效"},
    {EntryState::Withdrawn, 0xFFC7CE, 0x9C0006, u"已经废止"},
    {EntryState::OtherStatus, 0xFFEB9C, 0x9C5700, u"其他状态"},
    {EntryState::NotFound, 0xD9D9D9, 0x3F3F3F, u"未查询到"},
    {EntryState::NotAnswered, 0xE4DFEC, 0x5B2C6F, u"站点未应答"},
}};

/// The look of `state`.
const StateLook &stateLook(EntryState state);

}  // namespace hengdian
