#include "lookup/report_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string_view>
#include <system_error>

#include "lookup/report_columns.h"
#include "lookup/site.h"
#include "runtime/code_page.h"

namespace hengdian {

namespace {

/// The most UTF-16 units a cell holds.
constexpr std::size_t kMaxCellUnits = 32767;
/// The most links a sheet holds, and the longest link a cell takes (Excel allows 2079 characters
/// once the address is escaped; the rest leaves room for that).
constexpr std::size_t kMaxLinks = 65530;
constexpr std::size_t kMaxLinkBytes = 2000;
/// The narrowest and the widest column, in the widths of a digit.
constexpr double kMinColumnWidth = 6;
constexpr double kMaxColumnWidth = 60;

/// The columns `text` takes: two for a wide (CJK, full-width) character, one for any other.
double textWidth(std::u16string_view text) {
  double width = 0;
  for (const char16_t unit : text) {
    if (unit >= 0xDC00 && unit <= 0xDFFF) continue;  // the second half of a pair counts with the first
    width += unit >= 0x1100 ? 2 : 1;
  }
  return width;
}

/// `text` as a cell holds it: UTF-8, cut to the most a cell takes, never inside a surrogate pair.
std::string cellText(std::u16string_view text) {
  if (text.size() > kMaxCellUnits) {
    std::size_t size = kMaxCellUnits;
    if (text[size - 1] >= 0xD800 && text[size - 1] <= 0xDBFF) --size;
    text = text.substr(0, size);
  }
  return toUtf8(text);
}

/// A fresh name for a scratch file in the system's temporary folder.
std::filesystem::path scratchPath(std::error_code &error) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  std::random_device random;
  std::ostringstream name;
  name << "hengdian-" << std::hex << random() << random() << ".xlsx";
  return folder / name.str();
}

/// The workbook while it is being written, and the formats it shares between its sheets.
struct Builder {
  lxw_workbook *workbook = nullptr;
  lxw_format *header = nullptr;
  std::array<lxw_format *, kStateLooks.size()> states{};
  lxw_error error = LXW_NO_ERROR;  // the first failure
  std::size_t links = 0;

  void note(lxw_error result) {
    if (error == LXW_NO_ERROR) error = result;
  }

  lxw_format *stateFormat(EntryState state) const {
    for (std::size_t i = 0; i < kStateLooks.size(); ++i) {
      if (kStateLooks[i].state == state) return states[i];
    }
    return nullptr;
  }

  void addFormats() {
    header = workbook_add_format(workbook);
    format_set_bold(header);
    format_set_bg_color(header, 0xDDEBF7);
    format_set_bottom(header, LXW_BORDER_THIN);
    for (std::size_t i = 0; i < kStateLooks.size(); ++i) {
      states[i] = workbook_add_format(workbook);
      format_set_bg_color(states[i], kStateLooks[i].fill);
      format_set_font_color(states[i], kStateLooks[i].font);
    }
  }

  /// Writes a text cell, as a hyperlink when `link` is a web address.
  void writeText(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, std::u16string_view text,
                 lxw_format *format = nullptr, std::u16string_view link = {}) {
    const std::string shown = cellText(text);
    // Past the links a sheet holds, or for a link too long for a cell, the text stays.
    if (const std::optional<std::u16string> address = webAddress(link, u"");
        address && !text.empty() && links < kMaxLinks) {
      const std::string target = toUtf8(*address);
      if (target.size() <= kMaxLinkBytes &&
          worksheet_write_url_opt(sheet, row, column, target.c_str(), format, shown.c_str(), nullptr) ==
              LXW_NO_ERROR) {
        ++links;
        return;
      }
    }
    if (text.empty() && format == nullptr) return;
    note(text.empty() ? worksheet_write_blank(sheet, row, column, format)
                      : worksheet_write_string(sheet, row, column, shown.c_str(), format));
  }

  void writeTable(std::span<const CheckedEntry> entries, bool withCurrent) {
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "标准查新");
    const std::span<const ReportColumn> columns = reportColumns(withCurrent);
    std::vector<double> widths(columns.size(), kMinColumnWidth);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::u16string name = u16(columns[c].header);
      writeText(sheet, 0, static_cast<lxw_col_t>(c), name, header);
      widths[c] = std::max(widths[c], textWidth(name));
    }
    lxw_row_t row = 0;
    for (const CheckedEntry &entry : entries) {
      ++row;
      for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::u16string text = columns[c].value(entry);
        lxw_format *format = c == kStatusColumn ? stateFormat(entryState(entry)) : nullptr;
        std::u16string_view link;
        if (c == kLinkColumn) link = text;
        if (c == kCurrentCodeColumn && entry.current.version) link = entry.current.version->link;
        writeText(sheet, row, static_cast<lxw_col_t>(c), text, format, link);
        widths[c] = std::max(widths[c], textWidth(text));
      }
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const auto column = static_cast<lxw_col_t>(c);
      note(worksheet_set_column(sheet, column, column, std::min(widths[c], kMaxColumnWidth) + 2, nullptr));
    }
    worksheet_freeze_panes(sheet, 1, 0);
    note(worksheet_autofilter(sheet, 0, 0, row, static_cast<lxw_col_t>(columns.size() - 1)));
  }

  void writeSummary(const ReportFacts &facts) {
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "汇总");
    const CheckSummary &summary = facts.summary;
    lxw_row_t row = 0;
    const auto line = [&](std::u16string_view label, std::u16string_view text, lxw_format *format) {
      writeText(sheet, row, 0, label, format);
      writeText(sheet, row, 1, text, format);
      ++row;
    };
    const auto count = [&](std::u16string_view label, std::size_t value, lxw_format *format) {
      writeText(sheet, row, 0, label, format);
      note(worksheet_write_number(sheet, row, 1, static_cast<double>(value), nullptr));
      ++row;
    };
    line(u"项目", u"内容", header);
    line(u"站点", siteDescription(facts.site).chooserText, nullptr);
    line(u"检查时间", formatDate(u"%yyyy-%mm-%dd %hh:%ii:%ss", facts.checkedAt), nullptr);
    count(u"检查行数", summary.checked, nullptr);
    const std::size_t counts[] = {summary.inForce, summary.withdrawn, summary.otherStatus, summary.notFound,
                                  summary.notAnswered};
    for (std::size_t i = 0; i < kStateLooks.size(); ++i)
      count(kStateLooks[i].word, counts[i], states[i]);
    if (facts.withCurrent) {
      count(u"被新版本替代", summary.replaced, nullptr);
      count(u"没有现行版本", summary.noneInForce, nullptr);
    }
    note(worksheet_set_column(sheet, 0, 0, 16, nullptr));
    note(worksheet_set_column(sheet, 1, 1, 24, nullptr));
  }
};

/// Makes the workbook in the file `path`; "" when it is written, else why not.
std::u16string buildWorkbook(const std::filesystem::path &path, std::span<const CheckedEntry> entries,
                             const ReportFacts &facts) {
  if (entries.size() >= LXW_ROW_MAX) return u"more lines than a worksheet holds";
  Builder builder;
  builder.workbook = workbook_new(path.string().c_str());
  if (builder.workbook == nullptr) return u"cannot create a workbook in the temporary folder";
  builder.addFormats();
  builder.writeTable(entries, facts.withCurrent);
  builder.writeSummary(facts);
  // Closing writes the file and frees the workbook, whatever went wrong before.
  const lxw_error closed = workbook_close(builder.workbook);
  builder.note(closed);
  if (builder.error != LXW_NO_ERROR) return u16(lxw_strerror(builder.error));
  return u"";
}

}  // namespace

WorkbookBytes reportWorkbook(std::span<const CheckedEntry> entries, const ReportFacts &facts) {
  WorkbookBytes made;
  try {
    std::error_code error;
    const std::filesystem::path scratch = scratchPath(error);
    if (error) return {{}, u"no temporary folder: " + u16(error.message())};
    made.error = buildWorkbook(scratch, entries, facts);
    if (made.error.empty()) {
      std::ifstream file(scratch, std::ios::binary);
      made.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
      if (!file.good() && !file.eof())
        made.error = u"cannot read the workbook back from the temporary folder";
    }
    std::filesystem::remove(scratch, error);
  } catch (const std::exception &failure) {
    // Out of memory, or a temporary folder whose name the system's code page cannot spell.
    made.bytes.clear();
    made.error = u16(failure.what());
  }
  return made;
}

std::u16string writeWholeFile(const std::filesystem::path &path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  errno = 0;
  if (file) file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (file) file.close();
  if (file) return u"";
  const int error = errno;
  return u16(error != 0 ? std::strerror(error) : "the write failed");
}

std::u16string writeReportWorkbook(const std::filesystem::path &path, std::span<const CheckedEntry> entries,
                                   const ReportFacts &facts) {
  const WorkbookBytes made = reportWorkbook(entries, facts);
  if (!made.error.empty()) return made.error;
  return writeWholeFile(path, made.bytes);
}

}  // namespace hengdian
