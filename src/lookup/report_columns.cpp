#include "lookup/report_columns.h"

#include <iterator>

#include "lookup/site.h"
#include "runtime/code_page.h"

namespace hengdian {

namespace {

/// The record a row is filled from, or none when nothing was found.
const HitRecord *firstRecord(const CheckedEntry &entry) {
  return entry.records.empty() ? nullptr : &entry.records.front();
}

/// A field of the first record, "" when nothing was found.
template <std::u16string HitRecord::*field>
std::u16string recordField(const CheckedEntry &entry) {
  const HitRecord *record = firstRecord(entry);
  return record == nullptr ? std::u16string() : record->*field;
}

/// The entry's version in force, or none.
const CurrentVersion *currentVersion(const CheckedEntry &entry) {
  return versionInForce(entry.current);
}

/// The latest version of the entry's standard when none is in force, or none.
const CurrentVersion *latestVersionOf(const CheckedEntry &entry) {
  return latestVersion(entry.current);
}

/// A field of the version `which` gives for the entry, "" when it gives none.
template <const CurrentVersion *(*which)(const CheckedEntry &), std::u16string CurrentVersion::*field>
std::u16string versionField(const CheckedEntry &entry) {
  const CurrentVersion *version = which(entry);
  return version == nullptr ? std::u16string() : version->*field;
}

/// The report's columns; the last `kCurrentColumns` are those of the version in force and, when none is, of
/// the latest version.
const ReportColumn kReportColumns[] = {
    {"标准代号", [](const CheckedEntry &entry) { return entry.entered.code; }},
    {"标准名称", [](const CheckedEntry &entry) { return entry.entered.name; }},
    {"匹配",
     [](const CheckedEntry &entry) {
       const HitRecord *record = firstRecord(entry);
       if (record == nullptr) return std::u16string();
       // "【同号同名■" without its opening bracket and its closing separator.
       const std::u16string_view marker = markerText(record->marker);
       return std::u16string(marker.substr(1, marker.size() - 2));
     }},
    {"状态", recordField<&HitRecord::status>},
    {"标题", recordField<&HitRecord::title>},
    {"发布日期", recordField<&HitRecord::publicationDate>},
    {"实施日期", recordField<&HitRecord::implementationDate>},
    {"链接", recordField<&HitRecord::link>},
    {"查询结果", [](const CheckedEntry &entry) { return entry.line; }},
    {"站点未应答原因", [](const CheckedEntry &entry) { return entry.row.error; }},
    {"现行版本", versionField<currentVersion, &CurrentVersion::code>},
    {"现行版本名称",
     [](const CheckedEntry &entry) {
       const CurrentVersion *version = currentVersion(entry);
       return version == nullptr ? std::u16string() : nameInTitle(version->title, version->code);
     }},
    {"现行版本状态", versionField<currentVersion, &CurrentVersion::status>},
    {"最新版本", versionField<latestVersionOf, &CurrentVersion::title>},
    {"最新版本状态", versionField<latestVersionOf, &CurrentVersion::status>},
};
constexpr std::size_t kCurrentColumns = 5;

/// Whether a spreadsheet would run `text` as a formula: it begins with a tab or a CR, or with
/// "=", "+", "-" or "@" behind any spaces, tabs and line breaks, which many spreadsheets and
/// converters trim before they look.
bool looksLikeFormula(std::string_view text) {
  if (text.starts_with('\t') || text.starts_with('\r')) return true;
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos &&
         std::string_view("=+-@").find(text[first]) != std::string_view::npos;
}

/// `text` as one field: quoted, with its quotes doubled, when it holds a comma, a quote or a line
/// break.
void appendCsvField(std::string &row, std::string_view text) {
  // A title comes from a web site: the apostrophe makes a formula plain text, and Excel does not
  // show it.
  if (looksLikeFormula(text)) {
    std::string guarded = "'";
    guarded.append(text);
    appendCsvField(row, guarded);
    return;
  }
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    row.append(text);
    return;
  }
  row.push_back('"');
  for (const char c : text) {
    if (c == '"') row.push_back('"');
    row.push_back(c);
  }
  row.push_back('"');
}

}  // namespace

std::span<const ReportColumn> reportColumns(bool withCurrent) {
  return std::span(kReportColumns).first(std::size(kReportColumns) - (withCurrent ? 0 : kCurrentColumns));
}

EntryState entryState(const CheckedEntry &entry) {
  if (!entry.row.error.empty()) return EntryState::NotAnswered;
  if (entry.records.empty()) return EntryState::NotFound;
  const StatusWords &words = siteDescription(entry.row.site).words;
  const std::u16string &status = entry.records.front().status;
  if (status == words.inForce) return EntryState::InForce;
  if (status == words.withdrawn) return EntryState::Withdrawn;
  return EntryState::OtherStatus;
}

const StateLook &stateLook(EntryState state) {
  for (const StateLook &look : kStateLooks)
    if (look.state == state) return look;
  return kStateLooks.back();
}

std::string csvHeader(bool withCurrent) {
  std::string header;
  for (const ReportColumn &column : reportColumns(withCurrent))
    header.append(",").append(column.header);
  return "\xEF\xBB\xBF" + header.substr(1) + "\r\n";
}

std::string csvRow(const CheckedEntry &entry, bool withCurrent) {
  std::string row;
  for (const ReportColumn &column : reportColumns(withCurrent)) {
    row.push_back(',');
    appendCsvField(row, toUtf8(column.value(entry)));
  }
  return row.substr(1) + "\r\n";
}

}  // namespace hengdian
