// Charset detection and decoding of a response: whatever the headers announce and the body holds,
// the text is whole UTF-16 and the charset is one line.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "runtime/code_page.h"
#include "runtime/text.h"
#include "web/decoding.h"
#include "web/response_headers.h"

using namespace hengdian;

// Input: header bytes, then body bytes after the first NUL (the body may hold more NULs).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const auto parts = fuzz::partsOf(data, size, 2);
  const std::u16string headerText = fromUtf8(parts[0]);
  const std::u16string charset = readResponseHeaders(headerText).chainCharset;
  fuzz::require(charset.find_first_of(u"\r\n") == std::u16string::npos, "a charset is one line");
  fuzz::require(lowerCase(charset) == charset, "a charset is lower-cased");
  const std::u16string text = decodeText(parts[1], decodingForCharset(charset));
  fuzz::require(!fuzz::hasUnpairedSurrogate(text), "decoding yields no unpaired surrogate");
  fuzz::require(text.size() <= parts[1].size(), "decoding yields at most one unit per byte");
  return 0;
}
