#pragma once
// The report of a check as a table: its columns, each with its name and its text in an entry's row,
// shared by every place that writes the table (the spreadsheet text of the window and the command
// line, the workbook), and the state an entry stands in.

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

}  // namespace hengdian
