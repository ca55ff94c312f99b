// On Windows the legacy code page is the ANSI code page of the system (CP_ACP), GBK on the
// Chinese-language systems the program is made for.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <string>

#include "runtime/code_page.h"
#include "runtime/utf16.h"
#include "runtime/windows_api.h"

namespace hengdian {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Converts `bytes` in one call, refusing invalid input; false when the input holds invalid
// sequences or is too long for one call.
bool convertStrictly(std::string_view bytes, std::u16string &out) {
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return false;
  const int length = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return false;
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(needed));
  auto *wide = reinterpret_cast<wchar_t *>(out.data() + start);
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, wide, needed) != needed) {
    out.resize(start);
    return false;
  }
  return true;
}

}  // namespace

std::u16string fromSystemCodePage(std::string_view bytes) {
  if (GetACP() == CP_UTF8) return fromUtf8(bytes);
  std::u16string out;
  if (bytes.empty() || convertStrictly(bytes, out)) return out;
  // The bytes hold invalid sequences (or are too many for one call): convert character by
  // character, so an invalid byte becomes one U+FFFD and the text after it survives.
  out.clear();
  out.reserve(bytes.size());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    std::size_t length = 1;
    if (IsDBCSLeadByteEx(CP_ACP, lead) && pos + 1 < bytes.size()) length = 2;
    if (convertStrictly(bytes.substr(pos, length), out)) {
      pos += length;
    } else {
      out.push_back(kReplacement);
      ++pos;
    }
  }
  return out;
}

std::string toSystemCodePage(std::u16string_view text) {
  if (GetACP() == CP_UTF8) return toUtf8(text);
  // No ANSI code page holds a character outside the BMP, and the API would turn each half of its
  // surrogate pair into its own "?": replace the pair (or an unpaired surrogate) by one "?" first.
  std::u16string bmp;
  bmp.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Utf16CodePoint point = codePointAt(text, i);
    bmp.push_back(point.units == 1 && !isSurrogate(point.value) ? text[i] : u'?');
    i += point.units;
  }
  std::string out;
  std::size_t pos = 0;
  // Chunks below INT_MAX; characters the code page cannot hold come out as its default character "?".
  constexpr std::size_t kChunk = static_cast<std::size_t>(INT_MAX) / 4;
  while (pos < bmp.size()) {
    const std::size_t count = std::min(kChunk, bmp.size() - pos);
    const auto *wide = reinterpret_cast<const wchar_t *>(bmp.data() + pos);
    const int length = static_cast<int>(count);
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, "?", nullptr);
    if (needed > 0) {
      const std::size_t start = out.size();
      out.resize(start + static_cast<std::size_t>(needed));
      WideCharToMultiByte(CP_ACP, 0, wide, length, out.data() + start, needed, "?", nullptr);
    }
    pos += count;
  }
  return out;
}

}  // namespace hengdian
