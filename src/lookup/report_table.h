#pragma once
// The window's table of the last check (标准查新): its entries in input order, the rows shown (all,
// or those that need attention) in the order of the column sorted by, the text of every cell, and
// the export of the whole table as the command line writes it.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/query_job.h"
#include "lookup/report_columns.h"
#include "lookup/report_workbook.h"
#include "runtime/date.h"

namespace hengdian {

/// Which rows the table shows.
enum class ReportFilter { All, NeedsAttention };

/// The table of one check. It belongs to the user interface thread.
struct ReportTable {
  std::vector<CheckedEntry> entries;  // in input order
  std::vector<std::size_t> shown;     // the entries shown, by index, in their shown order
  ReportFilter filter = ReportFilter::All;
  std::optional<std::size_t> sortColumn;  // none: input order
  bool descending = false;
  bool currentSought = false;  // whether the versions in force were looked for
  Site site = Site::Library;
  DateValue checkedAt = kInvalidDate;
};

/// The table's columns: 序号, the entered code and name, the first record's marker, status, title,
/// two dates and link, and once the versions in force were looked for their code, name and status.
std::size_t reportTableColumns(const ReportTable &table);

/// The header of `column`.
std::u16string reportTableHeader(std::size_t column);

/// The text of entry `index` in `column`. A row without a status says why ("未查询到",
/// "站点未应答"), and a version in force that was looked for and not found says that.
std::u16string reportCell(const ReportTable &table, std::size_t index, std::size_t column);

/// Whether `entry` needs attention: not in force, found only under other codes, not found, or not
/// answered.
bool needsAttention(const CheckedEntry &entry);

/// Empties the table for a check of `site` started at `checkedAt`; the filter and the sort stay.
void clearReport(ReportTable &table, Site site, DateValue checkedAt);

/// Adds the next entry of the check, shown where the filter and the sort put it.
void addReportEntry(ReportTable &table, CheckedEntry entry);

/// Shows the rows `filter` lets through, in the sorted order.
void setReportFilter(ReportTable &table, ReportFilter filter);

/// Sorts by `column`, stably: ascending, or the other way round when it is sorted by already.
void sortReportBy(ReportTable &table, std::size_t column);

/// Works out the shown rows anew from the entries, the filter and the sort.
void arrangeReport(ReportTable &table);

/// The indexes of the entries whose version in force is to be looked for: every entry with a code
/// and an answered lookup that has no finding yet, or whose stem search went unanswered.
std::vector<std::size_t> entriesToSearch(const ReportTable &table);

/// Entry `index`'s cells, joined by TABs, as a copied row reads.
std::u16string reportRowText(const ReportTable &table, std::size_t index);

/// The table as `hengdian-cli check --format csv` writes it (with `--current` once the versions in
/// force were looked for): every entry in input order, whatever is shown.
std::string reportCsv(const ReportTable &table);

/// What the workbook tells beside the entries.
ReportFacts reportFacts(const ReportTable &table);

/// Writes the table to `path`: a CSV file when its extension is ".csv" (in any case), else a
/// workbook; "" when it is written, else why not.
std::u16string exportReport(const std::filesystem::path &path, const ReportTable &table);

}  // namespace hengdian
