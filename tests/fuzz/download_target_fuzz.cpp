// The file type a download learns from the library site's redirect, on any header text.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "runtime/text.h"
#include "web/file_type.h"
#include "web/response_headers.h"

using namespace hengdian;

// Input: the header text of a redirect chain.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::u16string headerText = fuzz::anyUtf16({reinterpret_cast<const char *>(data), size});
  const std::u16string target = readResponseHeaders(headerText).redirectTarget;
  fuzz::require(target.find_first_of(u"\r\n") == std::u16string::npos, "a redirect target is one line");
  fuzz::require(lowerCase(target) == target, "a redirect target is lower-cased");

  const std::u16string extension = extensionOfTarget(target);
  fuzz::require(extension.find_first_of(u"./\\ \"?#") == std::u16string::npos,
                "an extension holds no dot, separator, space, quote, query or fragment");
  fuzz::require(lowerCase(extension) == extension, "an extension is lower-cased");
  if (!extension.empty()) {
    fuzz::require(positionOf(target, u"." + extension) != 0, "an extension comes from the target");
  }
  return 0;
}
