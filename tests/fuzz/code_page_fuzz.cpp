// The UTF-8 and GBK decoders on any bytes, and the encoders on any UTF-16.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "runtime/code_page.h"

using namespace hengdian;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);

  const std::u16string fromUtf8Text = fromUtf8(bytes);
  fuzz::require(!fuzz::hasUnpairedSurrogate(fromUtf8Text), "UTF-8 decoding yields no unpaired surrogate");
  if (isValidUtf8(bytes)) {
    fuzz::require(toUtf8(fromUtf8Text) == bytes, "valid UTF-8 comes back unchanged");
  } else {
    fuzz::require(fromUtf8Text.find(u'\uFFFD') != std::u16string::npos, "invalid UTF-8 shows U+FFFD");
  }

  const std::u16string fromGbk = fromSystemCodePage(bytes);
  fuzz::require(!fuzz::hasUnpairedSurrogate(fromGbk), "GBK decoding yields no unpaired surrogate");
  if (fromGbk.find(u'\uFFFD') == std::u16string::npos) {
    fuzz::require(toSystemCodePage(fromGbk) == bytes, "GBK decoded without loss encodes back the same");
  }

  // The same bytes as any UTF-16 at all, on the way out.
  const std::u16string text = fuzz::anyUtf16(bytes);
  fuzz::require(isValidUtf8(toUtf8(text)), "UTF-8 encoding is well-formed for any UTF-16");
  const std::string gbk = toSystemCodePage(text);
  fuzz::require(!fuzz::hasUnpairedSurrogate(fromSystemCodePage(gbk)), "GBK encoding decodes whole");
  return 0;
}
