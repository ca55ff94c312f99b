// formatDate on any mask and date: the text is empty or exactly as long as the mask predicts.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "runtime/date.h"

using namespace hengdian;

namespace {

// The length formatDate writes for `mask` with a year of `yearDigits` digits, from the tokens
// alone: "%yyyy" is the year, the other tokens two digits, everything else itself.
std::size_t predictedLength(std::u16string_view mask, std::size_t yearDigits) {
  const auto holds = [&](std::size_t at, std::u16string_view letters) {
    if (mask.size() - at < letters.size()) return false;
    for (std::size_t i = 0; i < letters.size(); ++i) {
      if ((mask[at + i] | 0x20) != letters[i]) return false;
    }
    return true;
  };
  std::size_t length = 0;
  std::size_t at = 0;
  while (at < mask.size()) {
    if (mask[at] == u'%' && holds(at + 1, u"yyyy")) {
      length += yearDigits;
      at += 5;
    } else if (mask[at] == u'%' && (holds(at + 1, u"yy") || holds(at + 1, u"mm") || holds(at + 1, u"dd") ||
                                    holds(at + 1, u"hh") || holds(at + 1, u"ii") || holds(at + 1, u"ss"))) {
      length += 2;
      at += 3;
    } else {
      ++length;
      ++at;
    }
  }
  return length;
}

}  // namespace

// Input: eight bytes of date, then the mask.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < sizeof(std::int64_t)) return 0;
  std::int64_t date = 0;
  std::memcpy(&date, data, sizeof date);
  const std::u16string mask =
      fuzz::anyUtf16({reinterpret_cast<const char *>(data) + sizeof date, size - sizeof date});
  const std::u16string text = formatDate(mask, date);
  if (text.empty()) return 0;

  using namespace std::chrono;
  const std::int64_t firstFiveDigitYear =
      sys_days{year{10000} / January / 1}.time_since_epoch().count() * 86400;
  fuzz::require(text.size() == predictedLength(mask, date < firstFiveDigitYear ? 4 : 5),
                "formatDate writes as many characters as the mask predicts");
  return 0;
}
