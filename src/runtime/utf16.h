#pragma once
// UTF-16's surrogate pairs, read and written in one place for every decoder, encoder and case
// mapping of the system: a high surrogate (D800..DBFF) followed by a low one (DC00..DFFF) is one
// code point beyond U+FFFF; any other surrogate stands alone and is no character.

#include <cstddef>
#include <string_view>

namespace hengdian {

/// Whether `value` lies in the surrogate range U+D800..U+DFFF, which holds no character.
constexpr bool isSurrogate(char32_t value) {
  return value >= 0xD800 && value <= 0xDFFF;
}

/// A code point read from UTF-16, and how many units it took.
struct Utf16CodePoint {
  char32_t value;
  std::size_t units;
};

/// The code point that starts at `text[at]` (which must exist): a surrogate pair's in two units,
/// any other unit, a lone surrogate too, as itself in one. Any thread.
constexpr Utf16CodePoint codePointAt(std::u16string_view text, std::size_t at) {
  const char32_t unit = text[at];
  if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
      text[at + 1] <= 0xDFFF)
    return {0x10000 + ((unit - 0xD800) << 10) + (text[at + 1] - 0xDC00), 2};
  return {unit, 1};
}

/// Writes `codePoint` at `out` as one unit or as a surrogate pair and moves `out` behind it.
constexpr void writeUtf16(char16_t *&out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    *out++ = static_cast<char16_t>(codePoint);
    return;
  }
  *out++ = static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
  *out++ = static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
}

}  // namespace hengdian
