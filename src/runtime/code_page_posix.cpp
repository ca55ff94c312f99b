// The legacy code page off Windows is GBK (code page 936), the one the sites' Chinese pages and
// the callers expect; glibc's iconv converts between it and UTF-16 directly.

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstddef>
#include <string>

#include "runtime/code_page.h"

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

Converter &fromLegacy() {
  thread_local Converter converter(kUtf16Charset, kLegacyCharset);
  return converter;
}

Converter &toLegacy() {
  thread_local Converter converter(kLegacyCharset, kUtf16Charset);
  return converter;
}

bool isHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::u16string fromSystemCodePage(std::string_view bytes) {
  Converter &converter = fromLegacy();
  if (!converter.valid()) return fromUtf8(bytes);
  // The UTF-16 output collects as bytes, in native order, and becomes the text at the end.
  std::string units;
  units.reserve(bytes.size() * 2);
  const char *in = bytes.data();
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    if (converter.convert(in, inLeft, units) == 0) break;
    // An invalid or truncated sequence: one replacement character for its first byte, then go on
    // with the next byte, so a stray byte costs one character and not the rest of the page.
    const char16_t replacement = kReplacement;
    units.append(reinterpret_cast<const char *>(&replacement), sizeof replacement);
    ++in;
    --inLeft;
  }
  std::u16string text(units.size() / sizeof(char16_t), u'\0');
  units.copy(reinterpret_cast<char *>(text.data()), text.size() * sizeof(char16_t));
  return text;
}

std::string toSystemCodePage(std::u16string_view text) {
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
    const auto *unit = reinterpret_cast<const char16_t *>(in);
    std::size_t skip = sizeof(char16_t);
    if (inLeft >= 2 * sizeof(char16_t) && isHighSurrogate(unit[0]) && isLowSurrogate(unit[1])) skip *= 2;
    in += skip;
    inLeft -= skip;
  }
  return out;
}

}  // namespace hengdian
