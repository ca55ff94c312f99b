#include "cli/report_lines.h"

#include "lookup/site.h"
#include "runtime/code_page.h"

namespace hengdian::cli {

namespace {

/// "the library site" or "the portal site".
std::string siteName(Site site) {
  return "the " + std::string(siteDescription(site).name) + " site";
}

}  // namespace

std::u16string shownCode(std::u16string_view code) {
  constexpr std::size_t kShown = 40;
  if (code.size() <= kShown) return std::u16string(code);
  // Not between the two halves of a character beyond the BMP.
  const std::size_t end = code[kShown - 1] >= 0xD800 && code[kShown - 1] < 0xDC00 ? kShown - 1 : kShown;
  return std::u16string(code.substr(0, end)).append(u"…");
}

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
      if (const CurrentVersion *version = latestVersion(current)) {
        said.append(u"，最新版本 ")
            .append(version->title)
            .append(u"（")
            .append(version->status)
            .append(u"）");
      }
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

}  // namespace hengdian::cli
