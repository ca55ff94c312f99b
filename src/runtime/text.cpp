#include "runtime/text.h"

namespace hengdian {

namespace {

// Calls `visit(start)` for each non-overlapping occurrence of `sub`, scanning from the left; stops
// early when `visit` returns false.
template <class Visit>
void forEachOccurrence(std::u16string_view text, std::u16string_view sub, Visit &&visit) {
  if (text.empty() || sub.empty()) return;
  std::size_t from = 0;
  while (true) {
    const std::size_t at = text.find(sub, from);
    if (at == std::u16string_view::npos || !visit(at)) return;
    from = at + sub.size();
  }
}

}  // namespace

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
  if (text.empty() || sub.empty()) return 0;
  const std::size_t at = text.find(sub);
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

}  // namespace hengdian
