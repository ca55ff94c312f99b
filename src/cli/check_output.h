#pragma once
// What the command-line tool writes about a check: the JSON form of its results and the one-line
// progress display on a terminal.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "lookup/result_row.h"

namespace hengdian::cli {

/// The JSON array of a finished check: per entered line its row's code, name, site, link and item
/// id (library rows only, "" for portal rows), its line of `resultsText` and the row's error ("" when
/// the site answered). Pretty-printed UTF-8 with a final line break.
std::string resultsJson(const std::vector<ResultRow> &rows, const std::u16string &resultsText);

/// One line per row whose lookup got no answer: "hengdian-cli: <code>: the library site did not
/// answer: <reason>" (or the portal site); "" when every lookup got an answer.
std::string failureReport(const std::vector<ResultRow> &rows);

/// The progress display: one line on a terminal, rewritten in place after every change of the
/// check, telling which entry of how many is being looked up and its code.
class ProgressLine {
 public:
  /// For the entered text `input`, writing to `terminal`.
  ProgressLine(const std::u16string &input, std::ostream &terminal);

  /// Shows the state after a results text change; `linesShown` is the number of finished lines.
  void resultsChanged(std::size_t linesShown);
  /// Shows the state after a caption change.
  void captionChanged(const std::u16string &caption);
  /// Clears the line, leaving the terminal as it was.
  void finish();
  /// Replaces the line by `text`.
  void show(const std::u16string &text);

 private:
  std::vector<std::u16string> codes_;
  std::size_t done_ = 0;
  std::u16string retryNote_;
  std::size_t shownWidth_ = 0;
  std::ostream &terminal_;
};

}  // namespace hengdian::cli
