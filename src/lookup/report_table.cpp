#include "lookup/report_table.h"

#include <algorithm>

#include "lookup/list_check.h"
#include "runtime/code_page.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

/// The table's columns before those of the version in force: 序号 and the report's first eight.
constexpr std::size_t kCheckColumns = 9;
/// The report's column behind the table's first one of the version in force.
constexpr std::size_t kFirstCurrentColumn = kCurrentCodeColumn;
constexpr std::size_t kCurrentColumns = 3;
/// The table's column of the first record's status.
constexpr std::size_t kStatusCell = kStatusColumn + 1;

/// The report's column behind the table's `column` (not 序号).
const ReportColumn &reportColumnOf(std::size_t column) {
  const std::span<const ReportColumn> columns = reportColumns(true);
  return column < kCheckColumns ? columns[column - 1] : columns[kFirstCurrentColumn + column - kCheckColumns];
}

/// The text of `entry` (number `index`) in the table's `column`.
std::u16string cellOf(const CheckedEntry &entry, std::size_t index, std::size_t column) {
  if (column == 0) return u16(std::to_string(index + 1));
  const EntryState state = entryState(entry);
  if (column == kStatusCell && (state == EntryState::NotFound || state == EntryState::NotAnswered))
    return std::u16string(stateLook(state).word);
  const CurrentFinding &found = entry.current;
  if (column >= kCheckColumns && found.standing == CurrentStanding::NotAnswered) {
    const std::u16string texts[] = {u"站点未应答", found.error, u""};
    return texts[column - kCheckColumns];
  }
  if (column >= kCheckColumns && found.standing == CurrentStanding::NoneInForce) {
    const CurrentVersion *latest = latestVersion(found);
    if (column == kCheckColumns) return u"没有找到现行版本";
    if (latest == nullptr) return u"";
    return column == kCheckColumns + 1 ? u"最新版本 " + latest->title : latest->status;
  }
  return reportColumnOf(column).value(entry);
}

/// Whether `entry` passes `filter`.
bool passes(const CheckedEntry &entry, ReportFilter filter) {
  return filter == ReportFilter::All || needsAttention(entry);
}

/// Whether entry `a` comes before entry `b` in the table's sort (its direction aside).
bool before(const ReportTable &table, std::size_t a, std::size_t b) {
  const std::size_t column = *table.sortColumn;
  if (column == 0) return a < b;
  return cellOf(table.entries[a], a, column) < cellOf(table.entries[b], b, column);
}

}  // namespace

std::size_t reportTableColumns(const ReportTable &table) {
  return kCheckColumns + (table.currentSought ? kCurrentColumns : 0);
}

std::u16string reportTableHeader(std::size_t column) {
  return column == 0 ? u"序号" : u16(reportColumnOf(column).header);
}

std::u16string reportCell(const ReportTable &table, std::size_t index, std::size_t column) {
  return cellOf(table.entries[index], index, column);
}

bool needsAttention(const CheckedEntry &entry) {
  return entryState(entry) != EntryState::InForce || !isSameCode(entry.records.front().marker);
}

void clearReport(ReportTable &table, Site site, DateValue checkedAt) {
  table.entries.clear();
  table.shown.clear();
  table.currentSought = false;
  table.site = site;
  table.checkedAt = checkedAt;
}

void addReportEntry(ReportTable &table, CheckedEntry entry) {
  const std::size_t index = table.entries.size();
  table.entries.push_back(std::move(entry));
  if (!passes(table.entries.back(), table.filter)) return;
  if (!table.sortColumn) {
    table.shown.push_back(index);
    return;
  }
  // Behind every row it does not come before, so rows of equal text keep their input order.
  const auto place =
      std::upper_bound(table.shown.begin(), table.shown.end(), index, [&](std::size_t a, std::size_t b) {
        return table.descending ? before(table, b, a) : before(table, a, b);
      });
  table.shown.insert(place, index);
}

void setReportFilter(ReportTable &table, ReportFilter filter) {
  table.filter = filter;
  arrangeReport(table);
}

void sortReportBy(ReportTable &table, std::size_t column) {
  table.descending = table.sortColumn == column && !table.descending;
  table.sortColumn = column;
  arrangeReport(table);
}

void arrangeReport(ReportTable &table) {
  table.shown.clear();
  for (std::size_t index = 0; index < table.entries.size(); ++index)
    if (passes(table.entries[index], table.filter)) table.shown.push_back(index);
  if (!table.sortColumn) return;
  // Each cell's text once, not once per comparison.
  std::vector<std::u16string> keys(table.entries.size());
  for (const std::size_t index : table.shown)
    keys[index] = *table.sortColumn == 0 ? u"" : cellOf(table.entries[index], index, *table.sortColumn);
  std::stable_sort(table.shown.begin(), table.shown.end(), [&](std::size_t a, std::size_t b) {
    if (table.descending) std::swap(a, b);
    return *table.sortColumn == 0 ? a < b : keys[a] < keys[b];
  });
}

std::vector<std::size_t> entriesToSearch(const ReportTable &table) {
  std::vector<std::size_t> wanted;
  for (std::size_t index = 0; index < table.entries.size(); ++index) {
    const CheckedEntry &entry = table.entries[index];
    const CurrentStanding standing = entry.current.standing;
    if (entry.entered.code.empty() || !entry.row.error.empty()) continue;
    if (standing == CurrentStanding::NotSought || standing == CurrentStanding::NotAnswered)
      wanted.push_back(index);
  }
  return wanted;
}

std::u16string reportRowText(const ReportTable &table, std::size_t index) {
  std::u16string text;
  for (std::size_t column = 0; column < reportTableColumns(table); ++column)
    text.append(column == 0 ? u"" : u"\t").append(reportCell(table, index, column));
  return text;
}

std::string reportCsv(const ReportTable &table) {
  std::string text = csvHeader(table.currentSought);
  for (const CheckedEntry &entry : table.entries)
    text += csvRow(entry, table.currentSought);
  return text;
}

ReportFacts reportFacts(const ReportTable &table) {
  ReportFacts facts;
  for (const CheckedEntry &entry : table.entries)
    facts.summary.add(entry);
  facts.site = table.site;
  facts.checkedAt = table.checkedAt;
  facts.withCurrent = table.currentSought;
  return facts;
}

std::u16string exportReport(const std::filesystem::path &path, const ReportTable &table) {
  if (lowerCase(path.extension().u16string()) != u".csv")
    return writeReportWorkbook(path, table.entries, reportFacts(table));
  return writeWholeFile(path, reportCsv(table));
}

}  // namespace hengdian
