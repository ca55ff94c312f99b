#include "cli/check_output.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "lookup/query_job.h"
#include "runtime/code_page.h"
#include "runtime/text.h"

namespace hengdian::cli {

namespace {

// Columns a text takes on a terminal, counting every non-ASCII character as a wide one; a guess
// on the safe side, used only to blank out what was shown before.
std::size_t terminalWidth(const std::u16string &text) {
  std::size_t width = 0;
  for (char16_t unit : text)
    width += unit < 0x80 ? 1 : 2;
  return width;
}

// The text cut at every LF in one pass, the part behind the last LF included.
std::vector<std::u16string_view> linesOf(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find(u'\n'); end != std::u16string_view::npos; end = text.find(u'\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::string resultsJson(const std::vector<ResultRow> &rows, const std::u16string &resultsText) {
  // Keys stay in the documented order rather than sorted.
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  const std::vector<std::u16string_view> lines = linesOf(resultsText);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ResultRow &row = rows[i];
    nlohmann::ordered_json entry;
    entry["code"] = toUtf8(row.code);
    entry["name"] = toUtf8(row.name);
    entry["site"] = row.site;
    entry["link"] = toUtf8(row.link);
    // An item id only means something on the library site.
    entry["itemId"] = row.site == LibrarySite ? toUtf8(itemId(row)) : std::string();
    entry["line"] = i < lines.size() ? toUtf8(lines[i]) : std::string();
    entry["error"] = toUtf8(row.error);
    array.push_back(std::move(entry));
  }
  return array.dump(2) + "\n";
}

std::string failureReport(const std::vector<ResultRow> &rows) {
  std::string report;
  for (const ResultRow &row : rows) {
    if (row.error.empty()) continue;
    report += "hengdian-cli: " + toUtf8(row.code) + ": " +
              (row.site == PortalSite ? "the portal site" : "the library site") +
              " did not answer: " + toUtf8(row.error) + "\n";
  }
  return report;
}

ProgressLine::ProgressLine(const std::u16string &input, std::ostream &terminal) : terminal_(terminal) {
  for (EnteredLine &line : enteredLines(input))
    codes_.push_back(std::move(line.code));
}

void ProgressLine::resultsChanged(std::size_t linesShown) {
  done_ = linesShown;
  retryNote_.clear();
}

void ProgressLine::captionChanged(const std::u16string &caption) {
  if (caption == kCaptionDone) return finish();
  // The library site's second attempt counts its waits in ">" marks.
  const std::size_t waits = countOf(caption, u">");
  // Built by appending: g++ 12 at -O3 warns falsely (-Wrestrict) on a literal
  // added in front of a temporary string (GCC bugs 105329, 105651).
  retryNote_.clear();
  if (waits != 0) {
    retryNote_.append(u"  (no hit yet, asking again after wait ")
        .append(u16(std::to_string(waits)))
        .append(u"/10)");
  }
  if (done_ >= codes_.size()) return;
  std::u16string text = u"[";
  text.append(u16(std::to_string(done_ + 1)))
      .append(u"/")
      .append(u16(std::to_string(codes_.size())))
      .append(u"] ")
      .append(codes_[done_])
      .append(retryNote_);
  show(text);
}

void ProgressLine::finish() {
  if (shownWidth_ == 0) return;
  terminal_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
  shownWidth_ = 0;
}

void ProgressLine::show(const std::u16string &text) {
  const std::size_t width = terminalWidth(text);
  terminal_ << '\r' << toUtf8(text);
  if (width < shownWidth_) terminal_ << std::string(shownWidth_ - width, ' ');
  terminal_ << std::flush;
  shownWidth_ = std::max(width, shownWidth_);
}

}  // namespace hengdian::cli
