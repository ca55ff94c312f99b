#include "runtime/text.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace hengdian {

namespace {

/// One in each of the four 16-bit lanes of a 64-bit word.
constexpr std::uint64_t kLaneOnes = 0x0001000100010001;
constexpr std::uint64_t kLaneHighBits = 0x8000800080008000;

/// The four code units at `units` as one word.
std::uint64_t fourUnits(const char16_t *units) {
  std::uint64_t word = 0;
  std::memcpy(&word, units, sizeof word);
  return word;
}

/// Whether a 16-bit lane of `word` is zero. A lane can be flagged wrongly only beside a lane that
/// really is zero, so a word without zero lanes is never flagged.
bool hasZeroLane(std::uint64_t word) {
  return ((word - kLaneOnes) & ~word & kLaneHighBits) != 0;
}

/// Up to this length a pattern is searched for by comparing at every position, which costs at
/// most this many comparisons per character of the text and needs no set-up.
constexpr std::size_t kShortPattern = 32;

/// Finds `sub` in a text from a given position on, in time linear in the text and the pattern
/// for any pattern: a long pattern full of repeats (a code of placeholders against a long title)
/// would make the plain search cost the text's length times the pattern's. Long patterns are
/// searched for with a table of their borders (Knuth-Morris-Pratt), which never steps back in
/// the text.
class Finder {
 public:
  explicit Finder(std::u16string_view sub) : sub_(sub) {
    if (sub.size() <= kShortPattern) return;
    // border_[i]: length of the longest proper prefix of sub[0..i] that is also its suffix.
    border_.resize(sub.size());
    std::size_t length = 0;
    for (std::size_t i = 1; i < sub.size(); ++i) {
      while (length > 0 && sub[i] != sub[length])
        length = border_[length - 1];
      if (sub[i] == sub[length]) ++length;
      border_[i] = length;
    }
  }

  /// Start of the first occurrence at or behind `from`, or npos.
  std::size_t find(std::u16string_view text, std::size_t from) const {
    if (border_.empty()) return findText(text, sub_, from);
    std::size_t matched = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
      if (matched == 0) {
        // Nothing matched yet: jump to the next place where the pattern's first character stands.
        i = findText(text, sub_.substr(0, 1), i);
        if (i == std::u16string_view::npos) return i;
      }
      while (matched > 0 && text[i] != sub_[matched])
        matched = border_[matched - 1];
      if (text[i] == sub_[matched]) ++matched;
      if (matched == sub_.size()) return i + 1 - sub_.size();
    }
    return std::u16string_view::npos;
  }

 private:
  std::u16string_view sub_;
  std::vector<std::size_t> border_;  // empty for a short pattern
};

// Calls `visit(start)` for each non-overlapping occurrence of `sub`, scanning from the left; stops
// early when `visit` returns false.
template <class Visit>
void forEachOccurrence(std::u16string_view text, std::u16string_view sub, Visit &&visit) {
  if (text.empty() || sub.empty() || sub.size() > text.size()) return;
  const Finder finder(sub);
  std::size_t from = 0;
  while (true) {
    const std::size_t at = finder.find(text, from);
    if (at == std::u16string_view::npos || !visit(at)) return;
    from = at + sub.size();
  }
}

}  // namespace

std::size_t findText(std::u16string_view text, std::u16string_view sub, std::size_t from) {
  if (from > text.size() || sub.size() > text.size() - from) return std::u16string_view::npos;
  if (sub.empty()) return from;
  const char16_t *units = text.data();
  const std::size_t lastStart = text.size() - sub.size();  // the last place a match can begin
  const std::size_t last = sub.size() - 1;
  const std::uint64_t firstLanes = kLaneOnes * sub.front();
  const std::uint64_t lastLanes = kLaneOnes * sub.back();
  // A lane is zero where the first and the last unit both stand at their distance; in markup "<"
  // or a quote alone stands everywhere, but seldom with the right unit at the right distance.
  const auto differences = [&](std::size_t at) {
    return (fourUnits(units + at) ^ firstLanes) | (fourUnits(units + at + last) ^ lastLanes);
  };
  const auto matchesAt = [&](std::size_t at) { return std::u16string_view(units + at, sub.size()) == sub; };
  std::size_t at = from;
  for (; at + 8 <= lastStart + 1; at += 8) {
    if (!hasZeroLane(differences(at)) && !hasZeroLane(differences(at + 4))) continue;
    for (std::size_t candidate = at; candidate < at + 8; ++candidate) {
      if (matchesAt(candidate)) return candidate;
    }
  }
  for (; at <= lastStart; ++at) {
    if (matchesAt(at)) return at;
  }
  return std::u16string_view::npos;
}

std::u16string fieldOf(std::u16string_view text, std::int64_t index, std::u16string_view separator) {
  if (index < 1) return {};
  if (separator.empty()) return index == 1 ? std::u16string(text) : std::u16string();
  std::int64_t field = 1;
  std::size_t fieldStart = 0;
  std::u16string result;
  bool found = false;
  forEachOccurrence(text, separator, [&](std::size_t at) {
    if (field == index) {
      result.assign(text.substr(fieldStart, at - fieldStart));
      found = true;
      return false;
    }
    ++field;
    fieldStart = at + separator.size();
    return true;
  });
  if (found) return result;
  if (field == index) return std::u16string(text.substr(fieldStart));
  return {};
}

std::size_t countOf(std::u16string_view text, std::u16string_view sub) {
  std::size_t count = 0;
  forEachOccurrence(text, sub, [&](std::size_t) {
    ++count;
    return true;
  });
  return count;
}

std::size_t positionOf(std::u16string_view text, std::u16string_view sub) {
  if (text.empty() || sub.empty() || sub.size() > text.size()) return 0;
  const std::size_t at = Finder(sub).find(text, 0);
  return at == std::u16string_view::npos ? 0 : at + 1;
}

std::u16string replaceAll(std::u16string_view text, std::u16string_view find,
                          std::u16string_view replacement) {
  std::u16string result;
  result.reserve(text.size());
  std::size_t copied = 0;
  forEachOccurrence(text, find, [&](std::size_t at) {
    result.append(text.substr(copied, at - copied));
    result.append(replacement);
    copied = at + find.size();
    return true;
  });
  result.append(text.substr(copied));
  return result;
}

std::u16string trimSpaces(std::u16string_view text) {
  return trimChar(text, u' ');
}

std::u16string trimChar(std::u16string_view text, char16_t character) {
  const std::size_t first = text.find_first_not_of(character);
  if (first == std::u16string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(character);
  return std::u16string(text.substr(first, last - first + 1));
}

std::u16string padLeft(std::u16string_view text, std::int64_t length, char16_t character) {
  const std::size_t width = length < 0 ? 0 : static_cast<std::size_t>(length);
  if (text.size() >= width) return std::u16string(text.substr(0, width));
  std::u16string result(width - text.size(), character);
  result.append(text);
  return result;
}

std::u16string fileNamePart(std::u16string_view path, bool withoutExtension) {
  if (!path.empty() && path.front() == u'"') path.remove_prefix(1);
  const std::size_t lastSeparator = path.find_last_of(u"/\\");
  std::u16string_view part =
      lastSeparator == std::u16string_view::npos ? path : path.substr(lastSeparator + 1);
  const std::size_t quote = part.find(u'"');
  if (quote != std::u16string_view::npos) part = part.substr(0, quote);
  if (withoutExtension) {
    // Backwards from the end, never at the first character: a space means the last dot (if any)
    // belongs to words, not to an extension; a dot at the very end cuts nothing.
    for (std::size_t at = part.size(); at-- > 1;) {
      if (part[at] == u' ') break;
      if (part[at] == u'.') {
        if (at + 1 < part.size()) part = part.substr(0, at);
        break;
      }
    }
  }
  return std::u16string(part);
}

std::u16string sizeText(std::size_t bytes) {
  constexpr std::u16string_view kUnits[] = {u" bytes", u" KiB", u" MiB", u" GiB"};
  std::size_t unit = 0;
  for (; unit + 1 < std::size(kUnits) && bytes >= 1024 && bytes % 1024 == 0; ++unit)
    bytes /= 1024;
  const std::string digits = std::to_string(bytes);
  return std::u16string(digits.begin(), digits.end()).append(kUnits[unit]);
}

}  // namespace hengdian
