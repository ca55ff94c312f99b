// The file type a download learns from the library site's redirect, on any redirect target.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "runtime/text.h"
#include "web/download.h"

using namespace hengdian;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::u16string target = fuzz::anyUtf16({reinterpret_cast<const char *>(data), size});
  const std::u16string extension = extensionOfTarget(target);
  fuzz::require(extension.find_first_of(u"./\\ \"") == std::u16string::npos,
                "an extension holds no dot, separator, space or quote");
  fuzz::require(lowerCase(extension) == extension, "an extension is lower-cased");
  if (!extension.empty()) {
    fuzz::require(positionOf(lowerCase(target), u"." + extension) != 0, "an extension comes from the target");
  }
  return 0;
}
