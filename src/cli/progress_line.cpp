#include "cli/progress_line.h"

#include <algorithm>
#include <ostream>

#include "cli/report_lines.h"
#include "runtime/code_page.h"

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

}  // namespace

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
