// The command-line tool's reading of an entered list, on any bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/input_file.h"
#include "fuzz_support.h"
#include "runtime/code_page.h"

using namespace hengdian;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);
  const std::u16string text = cli::decodeInputBytes(bytes);
  fuzz::require(!fuzz::hasUnpairedSurrogate(text), "a read list holds no unpaired surrogate");
  fuzz::require(text.find(u'\uFEFF') == std::u16string::npos, "a read list holds no byte order mark");
  // Zero bytes never stand in a UTF-8 list; a list that holds them may be UTF-16 without its BOM.
  if (isValidUtf8(bytes) && bytes.find('\0') == std::string_view::npos && !bytes.starts_with("\xFF\xFE") &&
      !bytes.starts_with("\xFE\xFF")) {
    std::u16string withoutBoms = fromUtf8(bytes);
    std::erase(withoutBoms, u'\uFEFF');
    fuzz::require(text == withoutBoms, "a UTF-8 list is read as it is, without its byte order marks");
  }
  return 0;
}
