#include <algorithm>
#include <cstdint>
#include <iterator>

#include "runtime/text.h"

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

bool isHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendCodePoint(std::u16string &out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

}  // namespace

std::u16string lowerCase(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit < 0x80) {
      // ASCII, most of every header and page, lowers only A to Z.
      out.push_back(unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit);
      continue;
    }
    if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      appendCodePoint(out, lowerCodePoint(cp));
      ++i;
    } else {
      // A lone surrogate is in no run of the table, so it comes through unchanged.
      appendCodePoint(out, lowerCodePoint(unit));
    }
  }
  return out;
}

}  // namespace hengdian
