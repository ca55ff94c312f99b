// The legacy code page off Windows is GBK (code page 936), the one the sites' Chinese pages and
// the callers expect; glibc's iconv converts between it and UTF-16 directly.

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

#include "runtime/ascii_run.h"
#include "runtime/code_page.h"
#include "runtime/utf16.h"

namespace hengdian {

namespace {

constexpr const char *kLegacyCharset = "GBK";
constexpr const char *kUtf16Charset = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char16_t kReplacement = 0xFFFD;

// One iconv conversion descriptor, opened on first use and kept for the thread's lifetime: a
// descriptor must not be shared between threads, and opening one costs more than converting a
// whole page.
class Converter {
 public:
  Converter(const char *to, const char *from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter &) = delete;
  Converter &operator=(const Converter &) = delete;

  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of [in, in + inLeft) as possible, appending the output bytes to `out`.
  // Returns 0 when all input was taken, else the errno that stopped it (EILSEQ or EINVAL), with
  // `in` at the offending byte.
  int convert(const char *&in, std::size_t &inLeft, std::string &out) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // a fresh start for every text
    char buffer[8192];
    while (inLeft > 0) {
      char *outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      char *inPtr = const_cast<char *>(in);
      const std::size_t result = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
      const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
      in = inPtr;
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (error != 0 && error != E2BIG) return error;
    }
    return 0;
  }

 private:
  iconv_t handle_;
};

Converter &toLegacy() {
  thread_local Converter converter(kLegacyCharset, kUtf16Charset);
  return converter;
}

constexpr char16_t kNone = 0;  // no GBK sequence decodes to U+0000 but the byte 00 itself

/// What every GBK byte and byte pair decodes to, asked of iconv once per process: a lookup per
/// character then costs far less than a conversion call per page.
struct GbkTable {
  bool valid = false;
  std::array<char16_t, 256> single{};  // bytes 80..FF that stand alone
  std::vector<char16_t> pair;          // lead << 8 | trail, for leads 80..FF
};

/// The UTF-16 unit that iconv makes of exactly `bytes`, or kNone when it is not one whole
/// character.
char16_t decodeOne(Converter &converter, const char *bytes, std::size_t length) {
  const char *in = bytes;
  std::size_t inLeft = length;
  std::string units;
  if (converter.convert(in, inLeft, units) != 0 || units.size() != sizeof(char16_t)) return kNone;
  char16_t unit = kNone;
  units.copy(reinterpret_cast<char *>(&unit), sizeof unit);
  return unit;
}

const GbkTable &gbkTable() {
  static const GbkTable table = [] {
    GbkTable built;
    Converter converter(kUtf16Charset, kLegacyCharset);
    if (!converter.valid()) return built;
    built.valid = true;
    built.pair.assign(0x10000, kNone);
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
      const char one[] = {static_cast<char>(lead)};
      built.single[lead] = decodeOne(converter, one, 1);
      if (built.single[lead] != kNone) continue;
      for (unsigned trail = 0x40; trail <= 0xFF; ++trail) {
        const char two[] = {static_cast<char>(lead), static_cast<char>(trail)};
        built.pair[(lead << 8) | trail] = decodeOne(converter, two, 2);
      }
    }
    return built;
  }();
  return table;
}

}  // namespace

std::u16string fromSystemCodePage(std::string_view bytes) {
  const GbkTable &table = gbkTable();
  if (!table.valid) return fromUtf8(bytes);
  std::u16string text(bytes.size(), u'\0');  // never more characters than bytes
  char16_t *out = text.data();
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80) {
      pos = copyAscii(bytes, pos, out);
      continue;
    }
    if (table.single[lead] != kNone) {
      *out++ = table.single[lead];
      ++pos;
      continue;
    }
    if (pos + 1 < bytes.size()) {
      const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
      const char16_t pair = table.pair[(lead << 8) | trail];
      if (pair != kNone) {
        *out++ = pair;
        pos += 2;
        continue;
      }
    }
    // An invalid or truncated sequence: one replacement character for its first byte, then go on
    // with the next byte, so a stray byte costs one character and not the rest of the page.
    *out++ = kReplacement;
    ++pos;
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

std::string toSystemCodePage(std::u16string_view text) {
  // Addresses and most other texts sent out are ASCII, which GBK keeps byte for byte.
  if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
    return std::string(text.begin(), text.end());
  }
  Converter &converter = toLegacy();
  if (!converter.valid()) return toUtf8(text);
  std::string out;
  out.reserve(text.size() * 2);
  const char *in = reinterpret_cast<const char *>(text.data());
  std::size_t inLeft = text.size() * sizeof(char16_t);
  while (inLeft > 0) {
    if (converter.convert(in, inLeft, out) == 0) break;
    // A character GBK cannot hold, or an unpaired surrogate: "?" for the whole character.
    out.push_back('?');
    const auto at = static_cast<std::size_t>(reinterpret_cast<const char16_t *>(in) - text.data());
    const std::size_t skip = codePointAt(text, at).units * sizeof(char16_t);
    in += skip;
    inLeft -= skip;
  }
  return out;
}

}  // namespace hengdian
