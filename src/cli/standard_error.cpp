#include "cli/standard_error.h"

#include <algorithm>
#include <ostream>

#include "lookup/site.h"
#include "runtime/code_page.h"

namespace hengdian::cli {

namespace {

/// "the library site" or "the portal site".
std::string siteName(Site site) {
  return "the " + std::string(siteDescription(site).name) + " site";
}

// Columns a text takes on a terminal, counting every non-ASCII character as a wide one; a guess
// on the safe side, used only to blank out what was shown before.
std::size_t terminalWidth(const std::u16string &text) {
  std::size_t width = 0;
  for (char16_t unit : text)
    width += unit < 0x80 ? 1 : 2;
  return width;
}

/// A code as a line of standard error or the progress shows it: a line too long to be a code
/// cut to its start, followed by "…".
std::u16string shownCode(std::u16string_view code) {
  constexpr std::size_t kShown = 40;
  if (code.size() <= kShown) return std::u16string(code);
  // Not between the two halves of a character beyond the BMP.
  const std::size_t end = code[kShown - 1] >= 0xD800 && code[kShown - 1] < 0xDC00 ? kShown - 1 : kShown;
  return std::u16string(code.substr(0, end)).append(u"…");
}

}  // namespace

std::string failureLine(const CheckedEntry &entry) {
  const ResultRow &row = entry.row;
  if (row.error == kCodeNotSent)
    return "hengdian-cli: " + toUtf8(shownCode(row.code)) + ": " + toUtf8(row.error) + "\n";
  const std::string start =
      "hengdian-cli: " + toUtf8(row.code) + ": " + siteName(row.site) + " did not answer";
  if (!row.error.empty()) return start + ": " + toUtf8(row.error) + "\n";
  const CurrentFinding &current = entry.current;
  if (current.standing != CurrentStanding::NotAnswered) return "";
  return start + " the search for " + toUtf8(current.stem) + ": " + toUtf8(current.error) + "\n";
}

std::string currentLine(const CheckedEntry &entry) {
  const CurrentFinding &current = entry.current;
  std::u16string said;
  switch (current.standing) {
    case CurrentStanding::Replaced:
    case CurrentStanding::NotReplaced:
      said.append(u"现行版本 ").append(versionInForce(current)->title);
      break;
    case CurrentStanding::NoneInForce:
      said.append(u"没有找到现行版本");
      if (const CurrentVersion *version = latestVersion(current))
        said += u"，最新版本 " + version->title + u"（" + version->status + u"）";
      break;
    case CurrentStanding::NotSought:
    case CurrentStanding::Itself:
    case CurrentStanding::NotAnswered:
      return "";
  }
  return "hengdian-cli: " + toUtf8(entry.entered.code) + ": " + toUtf8(said) + "\n";
}

std::string summaryLine(const CheckSummary &summary, bool withCurrent) {
  std::string line = "hengdian-cli: checked " + std::to_string(summary.checked) +
                     (summary.checked == 1 ? " line: " : " lines: ") + std::to_string(summary.inForce) +
                     " in force, " + std::to_string(summary.withdrawn) + " withdrawn, " +
                     std::to_string(summary.otherStatus) + " other status, " +
                     std::to_string(summary.notFound) + " not found, " + std::to_string(summary.notAnswered) +
                     " not answered";
  if (withCurrent) {
    line += "; " + std::to_string(summary.replaced) + " replaced by a newer version, " +
            std::to_string(summary.noneInForce) + " with no version in force";
  }
  return line + "\n";
}

std::u16string progressText(std::size_t index, std::size_t count, std::u16string_view code, int waits) {
  // Built by appending: g++ 12 at -O3 warns falsely (-Wrestrict) on a literal added in front of
  // a temporary string (GCC bugs 105329, 105651).
  std::u16string text = u"[";
  text.append(u16(std::to_string(index + 1)))
      .append(u"/")
      .append(u16(std::to_string(count)))
      .append(u"] ")
      .append(shownCode(code));
  if (waits != 0) {
    text.append(u"  (no hit yet, asking again after wait ")
        .append(u16(std::to_string(waits)))
        .append(u"/10)");
  }
  return text;
}

ProgressLine::ProgressLine(std::ostream &terminal) : terminal_(terminal) {}

void ProgressLine::show(const std::u16string &text) {
  const std::size_t width = terminalWidth(text);
  terminal_ << '\r' << toUtf8(text);
  if (width < shownWidth_) terminal_ << std::string(shownWidth_ - width, ' ');
  terminal_ << std::flush;
  shownWidth_ = std::max(width, shownWidth_);
}

void ProgressLine::finish() {
  if (shownWidth_ == 0) return;
  terminal_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
  shownWidth_ = 0;
}

}  // namespace hengdian::cli
