#include "lookup/result_row.h"

#include <gtest/gtest.h>

#include <string>

namespace hengdian {
namespace {

constexpr std::u16string_view kCode = u"GB/T 5490-2010";
constexpr std::u16string_view kName = u"粮油检验 一般规则";

HitRecord record(MatchMarker marker, std::u16string title, std::u16string link) {
  HitRecord hit;
  hit.marker = marker;
  hit.status = u"现行有效";
  hit.title = std::move(title);
  hit.fourth = u"2010-12-24";
  hit.fifth = u"2011-02-01";
  hit.link = std::move(link);
  return hit;
}

TEST(StatusVocabulary, ImageCodesMapExactlyAndAnythingElseIsUnknown) {
  EXPECT_EQ(statusText(statusForImageCode(u"xxyx")), u"现行有效");
  EXPECT_EQ(statusText(statusForImageCode(u"jjss")), u"即将实施");
  EXPECT_EQ(statusText(statusForImageCode(u"yjfz")), u"已经废止");
  EXPECT_EQ(statusText(statusForImageCode(u"bfyx")), u"部分有效");
  EXPECT_EQ(statusText(statusForImageCode(u"jjfz")), u"即将废止");
  EXPECT_EQ(statusText(statusForImageCode(u"XXYX")), u"未知");
  EXPECT_EQ(statusText(statusForImageCode(u"xxyx ")), u"未知");
  EXPECT_EQ(statusText(statusForImageCode(u"")), u"未知");
}

TEST(ClassifyHit, CodeAnywhereInTitleIsSameCode) {
  EXPECT_EQ(classifyHit(u"GB/T 5490-2010 粮油检验 一般规则", u"GB/T 5490", u""), MatchMarker::SameCode);
  EXPECT_EQ(classifyHit(u"修改单 GB/T 5490-2010", kCode, u""), MatchMarker::SameCode);
  EXPECT_EQ(classifyHit(u"gb/t 5490-2010", kCode, u""), MatchMarker::OtherCode);
  EXPECT_EQ(classifyHit(u"GB 5490-85", kCode, u""), MatchMarker::OtherCode);
}

TEST(ClassifyHit, NameMustMatchCodeSpaceNameExactly) {
  EXPECT_EQ(classifyHit(u"GB/T 5490-2010 粮油检验 一般规则", kCode, kName), MatchMarker::SameCodeSameName);
  // An ideographic space between code and name counts as a plain one.
  EXPECT_EQ(classifyHit(u"GB/T 5490-2010\u3000粮油检验\u3000一般规则", kCode, kName),
            MatchMarker::SameCodeSameName);
  EXPECT_EQ(classifyHit(u"GB/T 5490-2010  粮油检验 一般规则", kCode, kName), MatchMarker::SameCodeOtherName);
  EXPECT_EQ(classifyHit(u"GB/T 5490-2010 粮油检验 一般规则 ", kCode, kName), MatchMarker::SameCodeOtherName);
  EXPECT_EQ(classifyHit(u"GB 5490-85 粮油检验 一般规则", kCode, kName), MatchMarker::OtherCodeOtherName);
}

TEST(ClassifyHit, EmptyCodeIsNeverContained) {
  EXPECT_EQ(classifyHit(u"GB 5490-85", u"", u""), MatchMarker::OtherCode);
  // With no code the title can still be the empty code, a space and the name.
  EXPECT_EQ(classifyHit(u" 粮油检验 一般规则", u"", kName), MatchMarker::OtherCodeSameName);
  EXPECT_EQ(classifyHit(u"粮油检验 一般规则", u"", kName), MatchMarker::OtherCodeOtherName);
}

TEST(HitRecordText, SixFieldsJoinedBySquaresAndClosedByBracket) {
  EXPECT_EQ(recordText(record(MatchMarker::SameCodeSameName, u"GB/T 5490-2010 粮油检验 一般规则", u"h")),
            u"【同号同名■现行有效■GB/T 5490-2010 粮油检验 一般规则■2010-12-24■2011-02-01■h】");
  HitRecord empty;
  EXPECT_EQ(recordText(empty), u"【异号■■■■■】");
}

TEST(ResultLineBuilding, SameCodeHitsGoInFrontInReversePageOrder) {
  ResultLine line;
  addHit(line, record(MatchMarker::SameCode, u"first", u"1"));
  addHit(line, record(MatchMarker::OtherCode, u"second", u"2"));
  addHit(line, record(MatchMarker::SameCodeOtherName, u"third", u"3"));
  addHit(line, record(MatchMarker::OtherCodeOtherName, u"fourth", u"4"));
  EXPECT_EQ(line, recordText(record(MatchMarker::SameCodeOtherName, u"third", u"3")) +
                      recordText(record(MatchMarker::SameCode, u"first", u"1")) +
                      recordText(record(MatchMarker::OtherCode, u"second", u"2")) +
                      recordText(record(MatchMarker::OtherCodeOtherName, u"fourth", u"4")));
}

TEST(FillRow, NotFoundKeepsTheEnteredNameAndDropsAnEarlierLink) {
  ResultRow row{std::u16string(kCode), std::u16string(kName), u"/standard/1.html", LibrarySite};
  fillRow(row, kNotFoundLine);
  EXPECT_EQ(row, (ResultRow{std::u16string(kCode), std::u16string(kName), u"", LibrarySite}));
}

TEST(FillRow, FirstRecordGivesNameWithoutCodeAndLink) {
  ResultLine line;
  addHit(line, record(MatchMarker::OtherCode, u"GB 5490-85 粮食检验", u"/standard/9.html"));
  addHit(line,
         record(MatchMarker::SameCodeOtherName, u"GB/T 5490-2010 粮油检验 一般规则", u"/standard/7.html"));
  ResultRow row{std::u16string(kCode), u"typed name", u"", PortalSite};
  fillRow(row, line);
  EXPECT_EQ(row, (ResultRow{std::u16string(kCode), u"粮油检验 一般规则", u"/standard/7.html", PortalSite}));
}

TEST(FillRow, WithoutSameCodeHitTheFirstHitsWholeTitleIsTheName) {
  ResultLine line;
  addHit(line, record(MatchMarker::OtherCode, u"  GB 5490-85 粮食检验 ", u"/standard/9.html"));
  addHit(line, record(MatchMarker::OtherCode, u"GB 1354 大米", u"/standard/8.html"));
  ResultRow row{std::u16string(kCode), u"", u"", LibrarySite};
  fillRow(row, line);
  EXPECT_EQ(row.name, u"GB 5490-85 粮食检验");
  EXPECT_EQ(row.link, u"/standard/9.html");

  ResultRow noCode{u"", u"", u"", LibrarySite};
  fillRow(noCode, line);
  EXPECT_EQ(noCode.name, u"GB 5490-85 粮食检验");
}

TEST(FillRow, SquareInsideTheFirstTitleShiftsTheFieldsAsTheCutYields) {
  // The line is cut at every square, so a square inside the title moves the later fields.
  ResultLine line;
  addHit(line, record(MatchMarker::OtherCode, u"GB 5490-85 粮食检验■一般规则", u"/standard/3.html"));
  ResultRow row{std::u16string(kCode), u"", u"", LibrarySite};
  fillRow(row, line);
  EXPECT_EQ(row.name, u"GB 5490-85 粮食检验");
  EXPECT_EQ(row.link, u"2011-02-01");
}

TEST(RowLink, HasLinkFromFourCharactersAndItemIdIsTheLastElement) {
  EXPECT_FALSE(hasLink(ResultRow{u"", u"", u"abc", LibrarySite}));
  EXPECT_TRUE(hasLink(ResultRow{u"", u"", u"abcd", LibrarySite}));
  EXPECT_EQ(itemId(ResultRow{u"", u"", u"/standard/12345.html", LibrarySite}), u"12345");
  EXPECT_EQ(itemId(ResultRow{u"", u"", u"http://lib.example.invalid/standard/678.html", LibrarySite}),
            u"678");
}

TEST(ResultsText, EveryLineEndsWithOneLineFeed) {
  EXPECT_EQ(resultsText({}), u"");
  EXPECT_EQ(resultsText({std::u16string(kNotFoundLine), u"【异号■■■■■】"}),
            u"【★未查询到该标准!】\n【异号■■■■■】\n");
}

}  // namespace
}  // namespace hengdian
