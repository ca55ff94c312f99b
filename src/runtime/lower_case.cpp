#include <algorithm>
#include <cstdint>
#include <iterator>

#include "runtime/text.h"
#include "runtime/utf16.h"

namespace hengdian {
namespace {

// A run of code points that lower-case by the same offset: first, first + stride, ... last.
struct LowerCaseRun {
  char32_t first;
  char32_t last;
  std::uint8_t stride;
  std::int32_t delta;
};

// Our own table rather than towlower or the C++ locale, so every platform and every user locale
// lowers the same letters the same way.
constexpr LowerCaseRun kLowerCaseRuns[] = {
#include "runtime/lower_case_table.inc"
};

char32_t lowerCodePoint(char32_t cp) {
  auto after = std::upper_bound(std::begin(kLowerCaseRuns), std::end(kLowerCaseRuns), cp,
                                [](char32_t value, const LowerCaseRun &run) { return value < run.first; });
  if (after == std::begin(kLowerCaseRuns)) return cp;
  const LowerCaseRun &run = *std::prev(after);
  if (cp > run.last || (cp - run.first) % run.stride != 0) return cp;
  return static_cast<char32_t>(static_cast<std::int32_t>(cp) + run.delta);
}

}  // namespace

std::u16string lowerCase(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      // ASCII, most of every header and page, lowers only A to Z.
      out.push_back(unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit);
      ++i;
      continue;
    }
    // A lone surrogate is in no run of the table, so it comes through unchanged.
    const Utf16CodePoint point = codePointAt(text, i);
    char16_t lowered[2];
    char16_t *end = lowered;
    writeUtf16(end, lowerCodePoint(point.value));
    out.append(lowered, end);
    i += point.units;
  }
  return out;
}

}  // namespace hengdian
