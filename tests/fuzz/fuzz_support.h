#pragma once
// What every fuzz target shares: cutting the input into parts, reading a part as any UTF-16 at
// all, and failing loudly when a property does not hold.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace hengdian::fuzz {

/// Ends the run with a message when `holds` is false, so libFuzzer keeps the input as a crash.
inline void require(bool holds, const char *property) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", property);
  std::abort();
}

/// The input as `count` parts cut at the first `count - 1` zero bytes; missing parts are empty and
/// the last part keeps any further zero bytes. Seed files are readable texts joined by NULs.
inline std::vector<std::string_view> partsOf(const std::uint8_t *data, std::size_t size, std::size_t count) {
  std::string_view rest(reinterpret_cast<const char *>(data), size);
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    const std::size_t zero = rest.find('\0');
    if (zero == std::string_view::npos) break;
    parts.push_back(rest.substr(0, zero));
    rest.remove_prefix(zero + 1);
  }
  parts.push_back(rest);
  parts.resize(count);
  return parts;
}

/// Bytes read as UTF-8 that also allows what UTF-8 forbids: overlong forms (so C0 80 is U+0000),
/// encoded surrogates (so ED A0 80 is a lone U+D800). Every UTF-16 text is reachable this way,
/// while seeds stay readable. A byte that starts no sequence stands for itself (U+0080..U+00FF).
inline std::u16string anyUtf16(std::string_view bytes) {
  std::u16string text;
  std::size_t at = 0;
  const auto continuation = [&](std::size_t i) {
    return at + i < bytes.size() && (static_cast<unsigned char>(bytes[at + i]) & 0xC0) == 0x80;
  };
  while (at < bytes.size()) {
    const unsigned lead = static_cast<unsigned char>(bytes[at]);
    const auto bits = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]) & 0x3Fu; };
    if (lead >= 0xF0 && lead < 0xF8 && continuation(1) && continuation(2) && continuation(3)) {
      const std::uint32_t point =
          ((((lead & 0x07u) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3)) % 0x100000u) + 0x10000u;
      text.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
      at += 4;
    } else if (lead >= 0xE0 && lead < 0xF0 && continuation(1) && continuation(2)) {
      text.push_back(static_cast<char16_t>(((lead & 0x0Fu) << 12) | (bits(1) << 6) | bits(2)));
      at += 3;
    } else if (lead >= 0xC0 && lead < 0xE0 && continuation(1)) {
      text.push_back(static_cast<char16_t>(((lead & 0x1Fu) << 6) | bits(1)));
      at += 2;
    } else {
      text.push_back(static_cast<char16_t>(lead));
      at += 1;
    }
  }
  return text;
}

/// Whether `text` holds a high surrogate without a low one after it, or a low one without a high
/// one before it.
inline bool hasUnpairedSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return true;
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

/// Whether `text` holds a character that a text control or a terminal takes as a line break or a
/// control: C0 controls but TAB, DEL, C1 controls, LINE SEPARATOR and PARAGRAPH SEPARATOR.
inline bool hasLineBreakOrControl(std::u16string_view text) {
  for (const char16_t unit : text) {
    if ((unit < 0x20 && unit != u'\t') || (unit >= 0x7F && unit <= 0x9F) || unit == 0x2028 || unit == 0x2029)
      return true;
  }
  return false;
}

}  // namespace hengdian::fuzz
