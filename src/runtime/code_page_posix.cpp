// The legacy code page off Windows is GBK (code page 936), the one the sites' Chinese pages and
// the callers expect; glibc's iconv does the conversion.

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string>

#include "runtime/code_page.h"

namespace hengdian {

namespace {

constexpr const char *kLegacyCharset = "GBK";

// One iconv conversion descriptor, closed when it goes out of scope. A descriptor is not shared
// between threads, so each conversion opens its own.
class Converter {
 public:
  Converter(const char *to, const char *from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter &) = delete;
  Converter &operator=(const Converter &) = delete;

  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of [in, in + inLeft) as possible, appending to `out`. Returns 0 when all
  // input was taken, else the errno that stopped it (EILSEQ or EINVAL), with `in` at the
  // offending byte.
  int convert(const char *&in, std::size_t &inLeft, std::string &out) {
    char buffer[4096];
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

std::size_t utf8SequenceLength(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

}  // namespace

std::u16string fromSystemCodePage(std::string_view bytes) {
  Converter converter("UTF-8", kLegacyCharset);
  if (!converter.valid()) return fromUtf8(bytes);
  std::string utf8;
  utf8.reserve(bytes.size() * 3 / 2);
  const char *in = bytes.data();
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    if (converter.convert(in, inLeft, utf8) == 0) break;
    // An invalid or truncated sequence: one replacement character for its first byte, then go on
    // with the next byte, so a stray byte costs one character and not the rest of the page.
    utf8 += "\xEF\xBF\xBD";
    ++in;
    --inLeft;
  }
  return fromUtf8(utf8);
}

std::string toSystemCodePage(std::u16string_view text) {
  const std::string utf8 = toUtf8(text);
  Converter converter(kLegacyCharset, "UTF-8");
  if (!converter.valid()) return utf8;
  std::string out;
  out.reserve(utf8.size());
  const char *in = utf8.data();
  std::size_t inLeft = utf8.size();
  while (inLeft > 0) {
    if (converter.convert(in, inLeft, out) == 0) break;
    // The input is well-formed UTF-8, so a stop means a character GBK cannot hold: skip the
    // whole character.
    out.push_back('?');
    const std::size_t skip = std::min(utf8SequenceLength(static_cast<unsigned char>(*in)), inLeft);
    in += skip;
    inLeft -= skip;
  }
  return out;
}

}  // namespace hengdian
