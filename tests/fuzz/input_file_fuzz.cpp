// The command-line tool's reading of an entered list, on any bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cli/input_file.h"
#include "fuzz_support.h"
#include "runtime/code_page.h"

using namespace hengdian;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);
  const std::u16string text = cli::decodeInputBytes(bytes);
  fuzz::require(!fuzz::hasUnpairedSurrogate(text), "a read list holds no unpaired surrogate");
  if (isValidUtf8(bytes) && !bytes.starts_with("\xEF\xBB\xBF") && !bytes.starts_with("\xFF\xFE") &&
      !bytes.starts_with("\xFE\xFF")) {
    fuzz::require(toUtf8(text) == bytes, "a UTF-8 list is read as it is");
  }
  return 0;
}
