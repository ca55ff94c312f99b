#include "runtime/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <tuple>

#include "support/test_helpers.h"

namespace hengdian {
namespace {

using testing::expectEach;
using Text = std::u16string;

TEST(FieldOfTest, NumbersFieldsFromOneBetweenWholeNonOverlappingSeparators) {
  const std::u16string tag = u"<a class=\"x\" hre=\"1\" href=\"/standard/12345.html\">";
  const std::u16string hrefSeparator = u"\" href=\"";
  const std::vector<std::tuple<Text, std::int64_t, Text, Text>> rows{
      {u"a■b■c", 1, u"■", u"a"},
      {u"a■b■c", 2, u"■", u"b"},
      {u"a■b■c", 3, u"■", u"c"},
      // Outside the fields the answer is empty.
      {u"a■b■c", 4, u"■", u""},
      {u"a■b■c", 0, u"■", u""},
      {u"a■b■c", -1, u"■", u""},
      {u"a,b", INT64_MAX, u",", u""},
      {u"a,b", INT64_MIN, u",", u""},
      // Empty text has one empty field.
      {u"", 1, u",", u""},
      {u"", 2, u",", u""},
      // An empty separator occurs nowhere.
      {u"abc", 1, u"", u"abc"},
      {u"abc", 2, u"", u""},
      // Text without the separator is its only field.
      {u"GB/T 5490-2010", 1, u"\t", u"GB/T 5490-2010"},
      {u"GB/T 5490-2010", 2, u"\t", u""},
      // Consecutive separators and separators at the edges give empty fields.
      {u",a,,b,", 1, u",", u""},
      {u",a,,b,", 2, u",", u"a"},
      {u",a,,b,", 3, u",", u""},
      {u",a,,b,", 4, u",", u"b"},
      {u",a,,b,", 5, u",", u""},
      {u",a,,b,", 6, u",", u""},
      // A long separator cuts only where it stands whole.
      {tag, 1, hrefSeparator, u"<a class=\"x\" hre=\"1"},
      {tag, 2, hrefSeparator, u"/standard/12345.html\">"},
      {tag, 3, hrefSeparator, u""},
      // "aaaa" at "aa" has occurrences at 1 and 3, leaving three empty fields.
      {u"aaaa", 1, u"aa", u""},
      {u"aaaa", 3, u"aa", u""},
      {u"aaaaa", 3, u"aa", u"a"},
      {u"aaaaa", 4, u"aa", u""},
  };
  expectEach(fieldOf, rows);
}

TEST(CountOfTest, CountsNonOverlappingCaseSensitiveOccurrences) {
  const std::vector<std::tuple<Text, Text, std::size_t>> rows{
      {u"aaaa", u"aa", 2},  {u"aaa", u"aa", 1}, {u"【同号】x【同号】", u"【同号】", 2},
      {u"abc", u"abcd", 0}, {u"abc", u"", 0},   {u"", u"a", 0},
      {u"", u"", 0},        {u"Aa", u"a", 1},
  };
  expectEach(countOf, rows);
}

TEST(PositionOfTest, CountsFromOneAndGivesZeroWhenAbsentOrEmpty) {
  const std::vector<std::tuple<Text, Text, std::size_t>> rows{
      {u"GB/T 5490-2010 粮油检验", u"GB/T 5490", 1},
      {u"GB/T 5490-2010 粮油检验", u"粮油", 16},
      {u"abab", u"b", 2},
      {u"abc", u"x", 0},
      {u"abc", u"", 0},
      {u"", u"a", 0},
      {u"ab", u"abc", 0},
      {u"ABC", u"b", 0},
  };
  expectEach(positionOf, rows);
}

// Patterns longer than a few dozen characters take another search path (linear in the text).
// findText tests several positions at once in 64-bit words; it must give the standard search's
// answer from every start, for matches at every place in a word, and for the code units that
// sit at the edges of the lanes of a word (0, 1, 0x7FFF, 0x8000, 0xFFFF).
TEST(FindTextTest, AgreesWithTheStandardSearchFromEveryStart) {
  const Text alphabet{u'\0', u'\1', u'\x7FFF', u'\x8000', u'\xFFFF', u'<', u'a'};
  std::mt19937 random(9);
  const auto pick = [&](std::size_t length) {
    Text text;
    for (std::size_t i = 0; i < length; ++i)
      text.push_back(alphabet[random() % alphabet.size()]);
    return text;
  };
  for (int round = 0; round < 3000; ++round) {
    const Text text = pick(random() % 40);
    const Text sub = pick(round % 6);
    for (std::size_t from = 0; from <= text.size() + 1; ++from)
      ASSERT_EQ(findText(text, sub, from), std::u16string_view(text).find(sub, from))
          << round << " from " << from;
  }
}

TEST(PositionOfTest, LongPatternsFollowTheSameRules) {
  const Text a40(40, u'a');
  const Text a100(100, u'a');
  const Text code = u"GB/T " + Text(40, u'0') + u"-2010";
  const Text marked = Text(50, u'a') + u'b' + a40 + u'b' + a40 + u'b';
  EXPECT_EQ(positionOf(a100, a40), 1u);
  EXPECT_EQ(positionOf(a100, u'b' + a40), 0u);
  EXPECT_EQ(positionOf(a100, a40 + u'b'), 0u);
  EXPECT_EQ(positionOf(marked, a40 + u'b'), 11u);
  EXPECT_EQ(positionOf(u"标题 " + code + u" 名称", code), 4u);
  EXPECT_EQ(positionOf(code, code + u"x"), 0u);
  EXPECT_EQ(countOf(a100, a40), 2u);
  EXPECT_EQ(countOf(marked, a40 + u'b'), 3u);
  EXPECT_EQ(fieldOf(a100, 3, a40), Text(20, u'a'));
  EXPECT_EQ(fieldOf(marked, 2, u'b' + a40), u"");
  EXPECT_EQ(replaceAll(marked, a40 + u'b', u"X"), Text(10, u'a') + u"XXX");
}

TEST(ReplaceAllTest, ReplacesEveryOccurrenceInOnePassWithoutRescanning) {
  const std::vector<std::tuple<Text, Text, Text, Text>> rows{
      {u"\n\n\n\n", u"\n\n", u"\n", u"\n\n"},
      {u"\n\n\n", u"\n\n", u"\n", u"\n\n"},
      // The inserted text holds the searched
      // text again; it is not replaced twice.
      {u"ab", u"a", u"aa", u"aab"},
      {u"xax", u"a", u"a", u"xax"},
      // An empty find changes nothing.
      {u"abc", u"", u"x", u"abc"},
      {u"", u"", u"x", u""},
      {u"GB/T/X", u"/", u"", u"GBTX"},
      {u"/a/", u"/", u"\u2044", u"\u2044a\u2044"},
      {u"abc", u"abc", u"", u""},
      {u"abc", u"x", u"y", u"abc"},
      {u"", u"a", u"b", u""},
  };
  expectEach(replaceAll, rows);
}

TEST(TrimSpacesTest, RemovesOnlyLeadingAndTrailingAsciiSpaces) {
  const std::vector<std::tuple<Text, Text>> rows{
      {u"  a b  ", u"a b"},
      {u"\ta\u3000", u"\ta\u3000"},
      {u" \ta\u3000 ", u"\ta\u3000"},
      {u"\na\r", u"\na\r"},
      {u"    ", u""},
      {u" ", u""},
      {u"", u""},
  };
  expectEach(trimSpaces, rows);
}

TEST(TrimCharTest, RemovesRunsAtBothEndsOnly) {
  const std::vector<std::tuple<Text, char16_t, Text>> rows{
      {u"--a-b--", u'-', u"a-b"}, {u"■■", u'■', u""},      {u"", u'x', u""},
      {u" a ", u'x', u" a "},     {u"\t\tx", u'\t', u"x"},
  };
  expectEach(trimChar, rows);
}

TEST(PadLeftTest, FillsInFrontUpToTheLengthAndCutsLongerText) {
  const std::vector<std::tuple<Text, std::int64_t, char16_t, Text>> rows{
      {u"", 3, u'>', u">>>"},
      {u"7", 2, u'0', u"07"},
      {u"ab", 2, u'0', u"ab"},
      // Longer text keeps its start.
      {u"abcd", 2, u'>', u"ab"},
      {u"abcd", 0, u'>', u""},
      // Negative counts as zero.
      {u"abcd", -1, u'>', u""},
      {u"", INT64_MIN, u'>', u""},
  };
  expectEach(padLeft, rows);
}

TEST(LowerCaseTest, LowersEveryLetterOneCodeUnitForOne) {
  const std::vector<std::tuple<Text, Text>> rows{
      {u"GB/T 5490-2010.PDF", u"gb/t 5490-2010.pdf"},
      {u"@[`{ 09 粮油检验 ■\u3000", u"@[`{ 09 粮油检验 ■\u3000"},
      {u"", u""},
      {u"ÀÉÎÕÜ", u"àéîõü"},
      {u"ΣΑΒ", u"σαβ"},
      {u"ＡＢＺ", u"ａｂｚ"},  // full-width Latin
      {u"ЖЯ", u"жя"},
      {u"ĀāĂ", u"āāă"},        // alternating upper and lower
      {u"ǅ", u"ǆ"},            // title case
      {u"\u1E9E", u"\u00DF"},  // capital sharp s
      {u"\u212A", u"k"},       // Kelvin sign
      {u"\u2160", u"\u2170"},  // Roman numeral one
      // Capital I with dot above has a two-character full lower case; the length
      // must not change.
      {u"\u0130", u"i"},
      {u"ß", u"ß"},
      // Supplementary letters given as surrogate pairs.
      {u"\U00010400", u"\U00010428"},  // Deseret
      {u"A\U000118A0b", u"a\U000118C0b"},
      {u"\U0001F600", u"\U0001F600"},
      // Lone surrogates stay.
      {Text{u'A', char16_t(0xD801), u'B', char16_t(0xDC00), char16_t(0xD801)},
       Text{u'a', char16_t(0xD801), u'b', char16_t(0xDC00), char16_t(0xD801)}},
  };
  expectEach(lowerCase, rows);
}

TEST(FileNamePartTest, TakesTheLastElementAndCanCutItsExtension) {
  const std::vector<std::tuple<Text, bool, Text>> rows{
      {u"/standard/12345.html", false, u"12345.html"},
      {u"/standard/12345.html", true, u"12345"},
      {u"C:\\dir/sub\\file.pdf", false, u"file.pdf"},
      {u"file.pdf", false, u"file.pdf"},
      {u"/standard/", false, u""},
      {u"", true, u""},
      // A leading quote is skipped and the next quote ends the path.
      {u"\"C:\\Users\\me\\file.pdf\"", false, u"file.pdf"},
      {u"\"C:\\Users\\me\\file.pdf\"", true, u"file"},
      {u"\"file.pdf\" extra", false, u"file.pdf"},
      {u"/a/b.pdf\" tail/c", false, u"c"},
      // The last extension goes unless a space comes after the dot.
      {u"a.tar.gz", true, u"a.tar"},
      {u"/x/my file.pdf", true, u"my file"},
      {u"/x/rev 1.2 final", true, u"rev 1.2 final"},
      {u"noext", true, u"noext"},
      // A leading or trailing dot stays.
      {u"/x/.cfg", true, u".cfg"},
      {u"/x/name.", true, u"name."},
      {u"/x/a.b.", true, u"a.b."},
      {u"/x/.a.b", true, u".a"},
  };
  expectEach(fileNamePart, rows);
}

}  // namespace
}  // namespace hengdian
