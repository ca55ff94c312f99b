#include "runtime/code_page.h"

#include <cstdint>

#include "runtime/ascii_run.h"
#include "runtime/utf16.h"

namespace hengdian {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the UTF-8 sequence a lead byte starts and the range its second byte must fall in
// (the narrowed ranges exclude overlong forms, surrogates and code points past U+10FFFF).
struct LeadInfo {
  int length;
  unsigned char secondLow;
  unsigned char secondHigh;
};

LeadInfo leadInfo(unsigned char lead) {
  if (lead < 0x80) return {1, 0, 0};
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// Decodes one code point at `pos`. An ill-formed sequence yields U+FFFD and consumes its maximal
// valid prefix (at least one byte), the way browsers and the Unicode standard recommend.
char32_t nextCodePoint(std::string_view bytes, std::size_t &pos) {
  const auto lead = static_cast<unsigned char>(bytes[pos]);
  const LeadInfo info = leadInfo(lead);
  if (info.length <= 1) {
    ++pos;
    return info.length == 1 ? lead : kReplacement;
  }
  char32_t value = lead & (0xFF >> (info.length + 1));
  std::size_t next = pos + 1;
  for (int i = 1; i < info.length; ++i, ++next) {
    if (next >= bytes.size()) {
      pos = next;
      return kReplacement;
    }
    const auto byte = static_cast<unsigned char>(bytes[next]);
    const unsigned char low = i == 1 ? info.secondLow : 0x80;
    const unsigned char high = i == 1 ? info.secondHigh : 0xBF;
    if (byte < low || byte > high) {
      pos = next;
      return kReplacement;
    }
    value = (value << 6) | (byte & 0x3F);
  }
  pos = next;
  return value;
}

void appendUtf8(std::string &out, char32_t codePoint) {
  if (codePoint < 0x80) return out.push_back(static_cast<char>(codePoint));
  // The lead byte carries the sequence's length in its high bits, each continuation byte six bits.
  const int continuations = codePoint < 0x800 ? 1 : codePoint < 0x10000 ? 2 : 3;
  out.push_back(static_cast<char>((0xFF00 >> (continuations + 1)) | (codePoint >> (6 * continuations))));
  for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6)
    out.push_back(static_cast<char>(0x80 | ((codePoint >> shift) & 0x3F)));
}

}  // namespace

std::u16string fromUtf8(std::string_view bytes) {
  // UTF-16 never takes more units than UTF-8 takes bytes, so the text is sized once and written
  // in place; ASCII, most of every page, is copied eight bytes at a time.
  std::u16string out(bytes.size(), u'\0');
  char16_t *write = out.data();
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[pos]);
    if (byte < 0x80) {
      pos = copyAscii(bytes, pos, write);
      continue;
    }
    // Most characters of a Chinese page are three bytes long; a lead of E1..EC or EE..EF takes
    // any two continuation bytes (E0 and ED narrow the second one, so they go the long way).
    if (byte >= 0xE1 && byte != 0xED && byte <= 0xEF && bytes.size() - pos >= 3) {
      const auto second = static_cast<unsigned char>(bytes[pos + 1]);
      const auto third = static_cast<unsigned char>(bytes[pos + 2]);
      if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80) {
        *write++ = static_cast<char16_t>(((byte & 0x0F) << 12) | ((second & 0x3F) << 6) | (third & 0x3F));
        pos += 3;
        continue;
      }
    }
    writeUtf16(write, nextCodePoint(bytes, pos));
  }
  out.resize(static_cast<std::size_t>(write - out.data()));
  return out;
}

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size();) {
    const Utf16CodePoint point = codePointAt(text, i);
    appendUtf8(out, isSurrogate(point.value) ? kReplacement : point.value);
    i += point.units;
  }
  return out;
}

std::u16string decodeText(std::string_view bytes, TextDecoding decoding) {
  return decoding == TextDecoding::Utf8 ? fromUtf8(bytes) : fromSystemCodePage(bytes);
}

bool isValidUtf8(std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t start = pos;
    if (nextCodePoint(bytes, pos) == kReplacement) {
      // A literal U+FFFD (EF BF BD) is well-formed; a replacement for bad bytes is not.
      if (bytes.substr(start, pos - start) != "\xEF\xBF\xBD") return false;
    }
  }
  return true;
}

}  // namespace hengdian
