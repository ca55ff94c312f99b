#include "runtime/date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace hengdian {
namespace {

constexpr std::u16string_view kLogMask = u"%yyyy-%mm-%dd %hh:%ii:%ss：";
constexpr DateValue kNewYear2010 = 1262304000;    // 2010-01-01 00:00:00
constexpr DateValue kFirstOf1601 = -11644473600;  // 1601-01-01 00:00:00
constexpr DateValue kMarch2005 = 1109941509;      // 2005-03-04 13:05:09

TEST(FormatDateTest, WritesTheLogTimeStamp) {
  EXPECT_EQ(formatDate(kLogMask, kNewYear2010), u"2010-01-01 00:00:00：");
  EXPECT_EQ(formatDate(kLogMask, kMarch2005), u"2005-03-04 13:05:09：");
}

TEST(FormatDateTest, SplitsDatesOnTheProlepticGregorianCalendar) {
  EXPECT_EQ(formatDate(kLogMask, 951868799), u"2000-02-29 23:59:59：");
  EXPECT_EQ(formatDate(kLogMask, -2203891200), u"1900-03-01 00:00:00：");  // 1900 had no 29 February
  EXPECT_EQ(formatDate(kLogMask, 0), u"1970-01-01 00:00:00：");
  EXPECT_EQ(formatDate(kLogMask, -2), u"1969-12-31 23:59:58：");
  EXPECT_EQ(formatDate(kLogMask, -2209032000), u"1899-12-31 12:00:00：");
}

TEST(FormatDateTest, InvalidAndEarlyDatesGiveEmptyText) {
  EXPECT_EQ(formatDate(kLogMask, kInvalidDate), u"");
  EXPECT_EQ(formatDate(u"abc", kInvalidDate), u"");
  EXPECT_EQ(formatDate(kLogMask, kFirstOf1601), u"1601-01-01 00:00:00：");
  EXPECT_EQ(formatDate(kLogMask, kFirstOf1601 - 1), u"");
  EXPECT_EQ(formatDate(kLogMask, INT64_MIN), u"");
  EXPECT_EQ(formatDate(u"", kNewYear2010), u"");
}

TEST(FormatDateTest, WritesYearsBeyond9999InFull) {
  EXPECT_EQ(formatDate(u"%yyyy/%yy", 253402300800), u"10000/00");
  EXPECT_EQ(formatDate(kLogMask, 971890963199), u"32767-12-31 23:59:59：");
  // Beyond what the calendar can hold there are no fields to write.
  EXPECT_EQ(formatDate(kLogMask, 971890963199 + 1), u"");
  EXPECT_EQ(formatDate(kLogMask, INT64_MAX), u"");
}

TEST(FormatDateTest, TokensIgnoreCase) {
  EXPECT_EQ(formatDate(u"%YYYY", kNewYear2010), u"2010");
  EXPECT_EQ(formatDate(u"%yYyY|%Yy|%MM|%Dd|%hH|%II|%sS", kMarch2005), u"2005|05|03|04|13|05|09");
}

TEST(FormatDateTest, LongYearIsTriedBeforeShortYear) {
  EXPECT_EQ(formatDate(u"%yyy", kMarch2005), u"05y");
  EXPECT_EQ(formatDate(u"%yyyyy", kMarch2005), u"2005y");
  EXPECT_EQ(formatDate(u"%yy", kMarch2005), u"05");
}

TEST(FormatDateTest, PercentWithoutTokenIsCopied) {
  EXPECT_EQ(formatDate(u"%y", kNewYear2010), u"%y");
  EXPECT_EQ(formatDate(u"100%", kNewYear2010), u"100%");
  EXPECT_EQ(formatDate(u"%", kNewYear2010), u"%");
  EXPECT_EQ(formatDate(u"%x%m", kNewYear2010), u"%x%m");
  // The character behind a lone "%" is read afresh, so it may start a token itself.
  EXPECT_EQ(formatDate(u"%%hh", kMarch2005), u"%13");
  EXPECT_EQ(formatDate(u"hh %", kMarch2005), u"hh %");
}

TEST(FormatDateTest, OnlyAsciiLettersFormTokens) {
  // Full-width letters and U+0130, which lower-cases to "i", are not token letters.
  EXPECT_EQ(formatDate(u"%ｈｈ", kMarch2005), u"%ｈｈ");
  EXPECT_EQ(formatDate(u"%\u0130\u0130", kMarch2005), u"%\u0130\u0130");
}

TEST(FormatDateTest, CopiesALongMaskWhole) {
  std::u16string mask(10000, u'x');
  mask += u"%hh";
  EXPECT_EQ(formatDate(mask, kMarch2005), std::u16string(10000, u'x') + u"13");
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
