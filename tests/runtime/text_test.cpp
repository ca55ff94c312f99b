#include "runtime/text.h"

#include <gtest/gtest.h>

#include <string>

namespace hengdian {
namespace {

// fieldOf

TEST(FieldOfTest, NumbersFieldsFromOneAndAnswersEmptyOutsideThem) {
  EXPECT_EQ(fieldOf(u"a■b■c", 1, u"■"), u"a");
  EXPECT_EQ(fieldOf(u"a■b■c", 2, u"■"), u"b");
  EXPECT_EQ(fieldOf(u"a■b■c", 3, u"■"), u"c");
  EXPECT_EQ(fieldOf(u"a■b■c", 4, u"■"), u"");
  EXPECT_EQ(fieldOf(u"a■b■c", 0, u"■"), u"");
  EXPECT_EQ(fieldOf(u"a■b■c", -1, u"■"), u"");
}

TEST(FieldOfTest, EmptyTextHasOneEmptyField) {
  EXPECT_EQ(fieldOf(u"", 1, u","), u"");
  EXPECT_EQ(fieldOf(u"", 2, u","), u"");
}

TEST(FieldOfTest, EmptySeparatorOccursNowhere) {
  EXPECT_EQ(fieldOf(u"abc", 1, u""), u"abc");
  EXPECT_EQ(fieldOf(u"abc", 2, u""), u"");
}

TEST(FieldOfTest, TextWithoutSeparatorIsItsOnlyField) {
  EXPECT_EQ(fieldOf(u"GB/T 5490-2010", 1, u"\t"), u"GB/T 5490-2010");
  EXPECT_EQ(fieldOf(u"GB/T 5490-2010", 2, u"\t"), u"");
}

TEST(FieldOfTest, ConsecutiveSeparatorsAndEdgesGiveEmptyFields) {
  EXPECT_EQ(fieldOf(u",a,,b,", 1, u","), u"");
  EXPECT_EQ(fieldOf(u",a,,b,", 2, u","), u"a");
  EXPECT_EQ(fieldOf(u",a,,b,", 3, u","), u"");
  EXPECT_EQ(fieldOf(u",a,,b,", 4, u","), u"b");
  EXPECT_EQ(fieldOf(u",a,,b,", 5, u","), u"");
  EXPECT_EQ(fieldOf(u",a,,b,", 6, u","), u"");
}

TEST(FieldOfTest, LongSeparatorCutsOnlyWhereItStandsWhole) {
  const std::u16string separator = u"\" href=\"";
  const std::u16string text = u"<a class=\"x\" hre=\"1\" href=\"/standard/12345.html\">";
  EXPECT_EQ(fieldOf(text, 1, separator), u"<a class=\"x\" hre=\"1");
  EXPECT_EQ(fieldOf(text, 2, separator), u"/standard/12345.html\">");
  EXPECT_EQ(fieldOf(text, 3, separator), u"");
}

TEST(FieldOfTest, OccurrencesDoNotOverlap) {
  // "aaaa" at "aa" has occurrences at 1 and 3, leaving three empty fields.
  EXPECT_EQ(fieldOf(u"aaaa", 1, u"aa"), u"");
  EXPECT_EQ(fieldOf(u"aaaa", 3, u"aa"), u"");
  EXPECT_EQ(fieldOf(u"aaaaa", 3, u"aa"), u"a");
  EXPECT_EQ(fieldOf(u"aaaaa", 4, u"aa"), u"");
}

TEST(FieldOfTest, HugeIndexIsBeyondTheLastField) {
  EXPECT_EQ(fieldOf(u"a,b", INT64_MAX, u","), u"");
  EXPECT_EQ(fieldOf(u"a,b", INT64_MIN, u","), u"");
}

// countOf

TEST(CountOfTest, CountsNonOverlappingOccurrences) {
  EXPECT_EQ(countOf(u"aaaa", u"aa"), 2u);
  EXPECT_EQ(countOf(u"aaa", u"aa"), 1u);
  EXPECT_EQ(countOf(u"【同号】x【同号】", u"【同号】"), 2u);
  EXPECT_EQ(countOf(u"abc", u"abcd"), 0u);
}

TEST(CountOfTest, EmptyTextOrSubCountsZero) {
  EXPECT_EQ(countOf(u"abc", u""), 0u);
  EXPECT_EQ(countOf(u"", u"a"), 0u);
  EXPECT_EQ(countOf(u"", u""), 0u);
}

TEST(CountOfTest, ComparesCaseSensitively) {
  EXPECT_EQ(countOf(u"Aa", u"a"), 1u);
}

// positionOf

TEST(PositionOfTest, CountsFromOne) {
  EXPECT_EQ(positionOf(u"GB/T 5490-2010 粮油检验", u"GB/T 5490"), 1u);
  EXPECT_EQ(positionOf(u"GB/T 5490-2010 粮油检验", u"粮油"), 16u);
  EXPECT_EQ(positionOf(u"abab", u"b"), 2u);
}

TEST(PositionOfTest, AbsentOrEmptyGivesZero) {
  EXPECT_EQ(positionOf(u"abc", u"x"), 0u);
  EXPECT_EQ(positionOf(u"abc", u""), 0u);
  EXPECT_EQ(positionOf(u"", u"a"), 0u);
  EXPECT_EQ(positionOf(u"ab", u"abc"), 0u);
  EXPECT_EQ(positionOf(u"ABC", u"b"), 0u);
}

// replaceAll

TEST(ReplaceAllTest, ReplacesInOnePassWithoutRescanning) {
  EXPECT_EQ(replaceAll(u"\n\n\n\n", u"\n\n", u"\n"), u"\n\n");
  EXPECT_EQ(replaceAll(u"\n\n\n", u"\n\n", u"\n"), u"\n\n");
  // The inserted text holds the searched text again; it is not replaced a second time.
  EXPECT_EQ(replaceAll(u"ab", u"a", u"aa"), u"aab");
  EXPECT_EQ(replaceAll(u"xax", u"a", u"a"), u"xax");
}

TEST(ReplaceAllTest, EmptyFindLeavesTextUnchanged) {
  EXPECT_EQ(replaceAll(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(replaceAll(u"", u"", u"x"), u"");
}

TEST(ReplaceAllTest, ReplacesEveryOccurrenceIncludingAtTheEdges) {
  EXPECT_EQ(replaceAll(u"GB/T/X", u"/", u""), u"GBTX");
  EXPECT_EQ(replaceAll(u"/a/", u"/", u"\u2044"), u"\u2044a\u2044");
  EXPECT_EQ(replaceAll(u"abc", u"abc", u""), u"");
  EXPECT_EQ(replaceAll(u"abc", u"x", u"y"), u"abc");
  EXPECT_EQ(replaceAll(u"", u"a", u"b"), u"");
}

// trimSpaces

TEST(TrimSpacesTest, RemovesOnlyLeadingAndTrailingAsciiSpaces) {
  EXPECT_EQ(trimSpaces(u"  a b  "), u"a b");
  EXPECT_EQ(trimSpaces(u"\ta\u3000"), u"\ta\u3000");
  EXPECT_EQ(trimSpaces(u" \ta\u3000 "), u"\ta\u3000");
  EXPECT_EQ(trimSpaces(u"\na\r"), u"\na\r");
}

TEST(TrimSpacesTest, SpacesOnlyOrEmptyGiveEmpty) {
  EXPECT_EQ(trimSpaces(u"    "), u"");
  EXPECT_EQ(trimSpaces(u" "), u"");
  EXPECT_EQ(trimSpaces(u""), u"");
}

// trimChar

TEST(TrimCharTest, RemovesRunsAtBothEndsOnly) {
  EXPECT_EQ(trimChar(u"--a-b--", u'-'), u"a-b");
  EXPECT_EQ(trimChar(u"■■", u'■'), u"");
  EXPECT_EQ(trimChar(u"", u'x'), u"");
  EXPECT_EQ(trimChar(u" a ", u'x'), u" a ");
  EXPECT_EQ(trimChar(u"\t\tx", u'\t'), u"x");
}

// padLeft

TEST(PadLeftTest, FillsInFrontUpToTheLength) {
  EXPECT_EQ(padLeft(u"", 3, u'>'), u">>>");
  EXPECT_EQ(padLeft(u"7", 2, u'0'), u"07");
  EXPECT_EQ(padLeft(u"ab", 2, u'0'), u"ab");
}

TEST(PadLeftTest, CutsALongerTextToItsFirstCharacters) {
  EXPECT_EQ(padLeft(u"abcd", 2, u'>'), u"ab");
  EXPECT_EQ(padLeft(u"abcd", 0, u'>'), u"");
}

TEST(PadLeftTest, NegativeLengthCountsAsZero) {
  EXPECT_EQ(padLeft(u"abcd", -1, u'>'), u"");
  EXPECT_EQ(padLeft(u"", INT64_MIN, u'>'), u"");
}

// lowerCase

TEST(LowerCaseTest, LowersAsciiAndKeepsEverythingElse) {
  EXPECT_EQ(lowerCase(u"GB/T 5490-2010.PDF"), u"gb/t 5490-2010.pdf");
  EXPECT_EQ(lowerCase(u"@[`{ 09 粮油检验 ■\u3000"), u"@[`{ 09 粮油检验 ■\u3000");
  EXPECT_EQ(lowerCase(u""), u"");
}

TEST(LowerCaseTest, LowersLettersBeyondAscii) {
  EXPECT_EQ(lowerCase(u"ÀÉÎÕÜ"), u"àéîõü");
  EXPECT_EQ(lowerCase(u"ΣΑΒ"), u"σαβ");
  EXPECT_EQ(lowerCase(u"ＡＢＺ"), u"ａｂｚ");  // full-width Latin
  EXPECT_EQ(lowerCase(u"ЖЯ"), u"жя");
  EXPECT_EQ(lowerCase(u"ĀāĂ"), u"āāă");        // alternating upper and lower
  EXPECT_EQ(lowerCase(u"ǅ"), u"ǆ");            // title case
  EXPECT_EQ(lowerCase(u"\u1E9E"), u"\u00DF");  // capital sharp s
  EXPECT_EQ(lowerCase(u"\u212A"), u"k");       // Kelvin sign
  EXPECT_EQ(lowerCase(u"\u2160"), u"\u2170");  // Roman numeral one
}

TEST(LowerCaseTest, KeepsOneCodeUnitPerLetter) {
  // Capital I with dot above has a two-character full lower case; the length must not change.
  EXPECT_EQ(lowerCase(u"\u0130"), u"i");
  EXPECT_EQ(lowerCase(u"ß"), u"ß");
}

TEST(LowerCaseTest, LowersSupplementaryLettersGivenAsSurrogatePairs) {
  EXPECT_EQ(lowerCase(u"\U00010400"), u"\U00010428");  // Deseret
  EXPECT_EQ(lowerCase(u"A\U000118A0b"), u"a\U000118C0b");
  EXPECT_EQ(lowerCase(u"\U0001F600"), u"\U0001F600");
}

TEST(LowerCaseTest, LoneSurrogatesStay) {
  const std::u16string lone = {u'A', char16_t(0xD801), u'B', char16_t(0xDC00), char16_t(0xD801)};
  const std::u16string expected = {u'a', char16_t(0xD801), u'b', char16_t(0xDC00), char16_t(0xD801)};
  EXPECT_EQ(lowerCase(lone), expected);
}

// fileNamePart

TEST(FileNamePartTest, TakesTheLastElementOfALinkOrPath) {
  EXPECT_EQ(fileNamePart(u"/standard/12345.html", false), u"12345.html");
  EXPECT_EQ(fileNamePart(u"/standard/12345.html", true), u"12345");
  EXPECT_EQ(fileNamePart(u"C:\\dir/sub\\file.pdf", false), u"file.pdf");
  EXPECT_EQ(fileNamePart(u"file.pdf", false), u"file.pdf");
  EXPECT_EQ(fileNamePart(u"/standard/", false), u"");
  EXPECT_EQ(fileNamePart(u"", true), u"");
}

TEST(FileNamePartTest, SkipsALeadingQuoteAndEndsAtTheNextQuote) {
  EXPECT_EQ(fileNamePart(u"\"C:\\Users\\me\\file.pdf\"", false), u"file.pdf");
  EXPECT_EQ(fileNamePart(u"\"C:\\Users\\me\\file.pdf\"", true), u"file");
  EXPECT_EQ(fileNamePart(u"\"file.pdf\" extra", false), u"file.pdf");
  EXPECT_EQ(fileNamePart(u"/a/b.pdf\" tail/c", false), u"c");
}

TEST(FileNamePartTest, CutsTheLastExtensionUnlessASpaceComesFirst) {
  EXPECT_EQ(fileNamePart(u"a.tar.gz", true), u"a.tar");
  EXPECT_EQ(fileNamePart(u"/x/my file.pdf", true), u"my file");
  EXPECT_EQ(fileNamePart(u"/x/rev 1.2 final", true), u"rev 1.2 final");
  EXPECT_EQ(fileNamePart(u"noext", true), u"noext");
}

TEST(FileNamePartTest, KeepsALeadingOrTrailingDot) {
  EXPECT_EQ(fileNamePart(u"/x/.cfg", true), u".cfg");
  EXPECT_EQ(fileNamePart(u"/x/name.", true), u"name.");
  EXPECT_EQ(fileNamePart(u"/x/a.b.", true), u"a.b.");
  EXPECT_EQ(fileNamePart(u"/x/.a.b", true), u".a");
}

}  // namespace
}  // namespace hengdian
