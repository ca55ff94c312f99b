#include "runtime/date.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <string>

#include "runtime/local_time.h"

namespace hengdian {
namespace {

using namespace std::chrono;

constexpr std::int64_t kSecondsPerDay = 86400;

constexpr std::int64_t daysSinceEpoch(const year_month_day &date) {
  return sys_days{date}.time_since_epoch().count();
}

// The range formatDate writes: from 1601-01-01 00:00:00 to the last second of the last year the
// civil calendar types can hold.
constexpr std::int64_t kFirstFormattableDate = daysSinceEpoch(year{1601} / January / 1) * kSecondsPerDay;
constexpr std::int64_t kLastFormattableDate =
    (daysSinceEpoch(year::max() / December / 31) + 1) * kSecondsPerDay - 1;

// A date's year, two-digit year, month, day, hour, minute and second, in the order of kTokens.
// Days are counted by floor division, so a second before 1970 belongs to the day it falls in,
// counted back from that day's midnight.
std::array<std::int64_t, 7> splitDate(DateValue date) {
  std::int64_t dayCount = date / kSecondsPerDay;
  std::int64_t secondOfDay = date % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    --dayCount;
  }
  year_month_day ymd{sys_days{days{static_cast<days::rep>(dayCount)}}};
  const int year = static_cast<int>(ymd.year());
  return {year,
          year % 100,
          static_cast<unsigned>(ymd.month()),
          static_cast<unsigned>(ymd.day()),
          secondOfDay / 3600,
          secondOfDay / 60 % 60,
          secondOfDay % 60};
}

// Whether `mask` holds `letters` at `at`, ignoring the case of ASCII letters.
bool holdsLetters(std::u16string_view mask, std::size_t at, std::u16string_view letters) {
  if (mask.size() - at < letters.size()) return false;
  for (std::size_t i = 0; i < letters.size(); ++i) {
    char16_t unit = mask[at + i];
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
    if (unit != letters[i]) return false;
  }
  return true;
}

// The longer year token comes first, so "%yyyy" is never read as "%yy" followed by "yy"; every
// token but the first is written in two digits.
constexpr std::u16string_view kTokens[] = {u"yyyy", u"yy", u"mm", u"dd", u"hh", u"ii", u"ss"};

}  // namespace

DateValue currentDate() {
  LocalTimeFields now = localTimeNow();
  year_month_day date{year{now.year}, month{static_cast<unsigned>(now.month)},
                      day{static_cast<unsigned>(now.day)}};
  if (!date.ok()) return kInvalidDate;
  std::int64_t secondOfDay = std::int64_t{now.hour} * 3600 + std::int64_t{now.minute} * 60 + now.second;
  return daysSinceEpoch(date) * kSecondsPerDay + secondOfDay;
}

std::u16string formatDate(std::u16string_view mask, DateValue date) {
  if (mask.empty() || date == kInvalidDate || date < kFirstFormattableDate || date > kLastFormattableDate) {
    return {};
  }
  const std::array<std::int64_t, 7> fields = splitDate(date);
  std::u16string out;
  out.reserve(mask.size() + 16);
  std::size_t at = 0;
  while (at < mask.size()) {
    const auto token = std::find_if(std::begin(kTokens), std::end(kTokens), [&](std::u16string_view letters) {
      return mask[at] == u'%' && holdsLetters(mask, at + 1, letters);
    });
    if (token != std::end(kTokens)) {
      const std::int64_t value = fields[static_cast<std::size_t>(token - std::begin(kTokens))];
      const std::string digits =
          token == std::begin(kTokens) ? std::to_string(value) : std::to_string(100 + value % 100).substr(1);
      out.append(digits.begin(), digits.end());
      at += 1 + token->size();
      continue;
    }
    // A "%" that starts no token is copied, and the walk goes on with the character behind it.
    out.push_back(mask[at]);
    ++at;
  }
  return out;
}

}  // namespace hengdian
