#include "runtime/date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_helpers.h"

namespace hengdian {
namespace {

const std::u16string kLogMask = u"%yyyy-%mm-%dd %hh:%ii:%ss：";
constexpr DateValue kNewYear2010 = 1262304000;    // 2010-01-01 00:00:00
constexpr DateValue kFirstOf1601 = -11644473600;  // 1601-01-01 00:00:00
constexpr DateValue kMarch2005 = 1109941509;      // 2005-03-04 13:05:09

TEST(FormatDateTest, WritesTheLogTimeStampOnTheProlepticGregorianCalendar) {
  const std::vector<std::tuple<DateValue, std::u16string>> rows{
      {kNewYear2010, u"2010-01-01 00:00:00："},
      {kMarch2005, u"2005-03-04 13:05:09："},
      {951868799, u"2000-02-29 23:59:59："},
      {-2203891200, u"1900-03-01 00:00:00："},  // 1900 had no 29 February
      {0, u"1970-01-01 00:00:00："},
      {-2, u"1969-12-31 23:59:58："},
      {-2209032000, u"1899-12-31 12:00:00："},
      {kFirstOf1601, u"1601-01-01 00:00:00："},
      {971890963199, u"32767-12-31 23:59:59："},  // years beyond 9999 in full
      // Invalid, too early, or beyond what the calendar can hold: no fields to write.
      {kInvalidDate, u""},
      {kFirstOf1601 - 1, u""},
      {INT64_MIN, u""},
      {971890963199 + 1, u""},
      {INT64_MAX, u""},
  };
  testing::expectEach([](DateValue date) { return formatDate(kLogMask, date); }, rows);
}

TEST(FormatDateTest, ReadsTokensAndCopiesEverythingElse) {
  const std::vector<std::tuple<std::u16string, DateValue, std::u16string>> rows{
      {u"abc", kInvalidDate, u""},
      {u"", kNewYear2010, u""},
      {u"%yyyy/%yy", 253402300800, u"10000/00"},
      // Tokens ignore case.
      {u"%YYYY", kNewYear2010, u"2010"},
      {u"%yYyY|%Yy|%MM|%Dd|%hH|%II|%sS", kMarch2005, u"2005|05|03|04|13|05|09"},
      // The long year is tried before the short one.
      {u"%yyy", kMarch2005, u"05y"},
      {u"%yyyyy", kMarch2005, u"2005y"},
      {u"%yy", kMarch2005, u"05"},
      // A percent sign without a token is copied.
      {u"%y", kNewYear2010, u"%y"},
      {u"100%", kNewYear2010, u"100%"},
      {u"%", kNewYear2010, u"%"},
      {u"%x%m", kNewYear2010, u"%x%m"},
      // The character behind a lone "%" is read afresh, so it may start a token itself.
      {u"%%hh", kMarch2005, u"%13"},
      {u"hh %", kMarch2005, u"hh %"},
      // Full-width letters and U+0130, which lower-cases to "i", are not token letters.
      {u"%ｈｈ", kMarch2005, u"%ｈｈ"},
      {u"%\u0130\u0130", kMarch2005, u"%\u0130\u0130"},
      // A long mask is copied whole.
      {std::u16string(10000, u'x') + u"%hh", kMarch2005, std::u16string(10000, u'x') + u"13"},
  };
  testing::expectEach(formatDate, rows);
}

std::u16string localMinuteNow() {
  std::time_t now = std::time(nullptr);
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", std::localtime(&now));
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

TEST(CurrentDateTest, ReadsTheLocalWallClock) {
  // Read the clock around the call; a minute that turns in between is read again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::u16string before = localMinuteNow();
    DateValue date = currentDate();
    std::u16string after = localMinuteNow();
    if (before != after) continue;
    EXPECT_EQ(formatDate(u"%yyyy-%mm-%dd %hh:%ii", date), before);
    return;
  }
  FAIL() << "the minute kept turning";
}

}  // namespace
}  // namespace hengdian
