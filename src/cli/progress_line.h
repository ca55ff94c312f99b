#pragma once
// The progress of a run on a terminal: one line, rewritten in place.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace hengdian::cli {

/// "[3/40] GB/T 5490-2010": the entry (counted from 0) and its code, with the wait of a library
/// line's second attempt when one is under way.
std::u16string progressText(std::size_t index, std::size_t count, std::u16string_view code, int waits = 0);

/// The progress display: one line on a terminal, rewritten in place.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream &terminal);

  /// Replaces the line by `text`.
  void show(const std::u16string &text);
  /// Clears the line, leaving the terminal as it was.
  void finish();

 private:
  std::size_t shownWidth_ = 0;
  std::ostream &terminal_;
};

}  // namespace hengdian::cli
