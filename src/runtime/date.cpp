#include "runtime/date.h"

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

struct CalendarFields {
  int year;
  unsigned month;
  unsigned day;
  std::int64_t hour;
  std::int64_t minute;
  std::int64_t second;
};

// Days are counted by floor division, so a second before 1970 belongs to the day it falls in,
// counted back from that day's midnight.
CalendarFields splitDate(DateValue date) {
  std::int64_t dayCount = date / kSecondsPerDay;
  std::int64_t secondOfDay = date % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    --dayCount;
  }
  year_month_day ymd{sys_days{days{static_cast<days::rep>(dayCount)}}};
  return {static_cast<int>(ymd.year()),
          static_cast<unsigned>(ymd.month()),
          static_cast<unsigned>(ymd.day()),
          secondOfDay / 3600,
          secondOfDay / 60 % 60,
          secondOfDay % 60};
}

void appendTwoDigits(std::u16string &out, long long value) {
  out.push_back(static_cast<char16_t>(u'0' + value / 10 % 10));
  out.push_back(static_cast<char16_t>(u'0' + value % 10));
}

void appendNumber(std::u16string &out, long long value) {
  for (char digit : std::to_string(value))
    out.push_back(static_cast<char16_t>(digit));
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

enum class Field { Year, ShortYear, Month, Day, Hour, Minute, Second };

struct Token {
  std::u16string_view letters;
  Field field;
};

// The longer year token comes first, so "%yyyy" is never read as "%yy" followed by "yy".
constexpr Token kTokens[] = {
    {u"yyyy", Field::Year}, {u"yy", Field::ShortYear}, {u"mm", Field::Month},  {u"dd", Field::Day},
    {u"hh", Field::Hour},   {u"ii", Field::Minute},    {u"ss", Field::Second},
};

void appendField(std::u16string &out, const CalendarFields &fields, Field field) {
  switch (field) {
    case Field::Year:
      appendNumber(out, fields.year);
      break;
    case Field::ShortYear:
      appendTwoDigits(out, fields.year % 100);
      break;
    case Field::Month:
      appendTwoDigits(out, fields.month);
      break;
    case Field::Day:
      appendTwoDigits(out, fields.day);
      break;
    case Field::Hour:
      appendTwoDigits(out, fields.hour);
      break;
    case Field::Minute:
      appendTwoDigits(out, fields.minute);
      break;
    case Field::Second:
      appendTwoDigits(out, fields.second);
      break;
  }
}

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
  CalendarFields fields = splitDate(date);
  std::u16string out;
  out.reserve(mask.size() + 16);
  std::size_t at = 0;
  while (at < mask.size()) {
    if (mask[at] == u'%') {
      const Token *found = nullptr;
      for (const Token &token : kTokens) {
        if (holdsLetters(mask, at + 1, token.letters)) {
          found = &token;
          break;
        }
      }
      if (found != nullptr) {
        appendField(out, fields, found->field);
        at += 1 + found->letters.size();
        continue;
      }
    }
    // A "%" that starts no token is copied, and the walk goes on with the character behind it.
    out.push_back(mask[at]);
    ++at;
  }
  return out;
}

}  // namespace hengdian
