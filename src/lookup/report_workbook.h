#pragma once
// The report of a check as an Excel workbook a lab hands to its auditor: the table of the checked
// entries with each row's state in colour and word, and a sheet with the counts, the site and the
// time of the check.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "lookup/list_check.h"
#include "lookup/query_job.h"
#include "runtime/date.h"

namespace hengdian {

/// What a workbook tells beside the entries: their counts, the site checked and when.
struct ReportFacts {
  CheckSummary summary;
  Site site = Site::Library;
  DateValue checkedAt = kInvalidDate;
  bool withCurrent = false;  // whether the versions in force were looked for
};

/// A workbook made in memory, or why it could not be made.
struct WorkbookBytes {
  std::string bytes;     // the .xlsx file
  std::u16string error;  // "" when it was made
};

/// The workbook of `entries` in input order: sheet "标准查新" holds the report table (the columns
/// `reportColumns(facts.withCurrent)` gives, the header row frozen and filtered, widths fitted to
/// the text, the status cells coloured by the entry's state, web links as hyperlinks); sheet "汇总"
/// the site, the date and time of the check and the counts, each state's count in its colour.
WorkbookBytes reportWorkbook(std::span<const CheckedEntry> entries, const ReportFacts &facts);

/// Writes `bytes` as the whole file `path`, replacing what was there; "" when it is written, else
/// why not.
std::u16string writeWholeFile(const std::filesystem::path &path, std::string_view bytes);

/// Writes the workbook of `entries` to `path`; "" when it is written, else why not.
std::u16string writeReportWorkbook(const std::filesystem::path &path, std::span<const CheckedEntry> entries,
                                   const ReportFacts &facts);

}  // namespace hengdian
