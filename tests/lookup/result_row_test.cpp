#include "lookup/result_row.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "lookup/hit_blocks.h"
#include "support/test_helpers.h"

namespace hengdian {
namespace {

constexpr std::u16string_view kCode = u"GB/T 5490-2010";
constexpr std::u16string_view kName = u"粮油检验 一般规则";
using Text = std::u16string;

HitRecord record(MatchMarker marker, std::u16string title, std::u16string link) {
  HitRecord hit;
  hit.marker = marker;
  hit.status = u"现行有效";
  hit.title = std::move(title);
  hit.publicationDate = u"2010-12-24";
  hit.implementationDate = u"2011-02-01";
  hit.link = std::move(link);
  return hit;
}

TEST(ClassifyHit, SameCodeIsTheCodeAnywhereInTheTitleSameNameIsCodeSpaceNameExactly) {
  const std::vector<std::tuple<Text, Text, Text, MatchMarker>> rows{
      {u"GB/T 5490-2010 粮油检验 一般规则", u"GB/T 5490", u"", MatchMarker::SameCode},
      {u"修改单 GB/T 5490-2010", Text(kCode), u"", MatchMarker::SameCode},
      {u"gb/t 5490-2010", Text(kCode), u"", MatchMarker::OtherCode},
      {u"GB 5490-85", Text(kCode), u"", MatchMarker::OtherCode},
      {u"GB/T 5490-2010 粮油检验 一般规则", Text(kCode), Text(kName), MatchMarker::SameCodeSameName},
      // An ideographic space between code and name counts as a plain one.
      {u"GB/T 5490-2010\u3000粮油检验\u3000一般规则", Text(kCode), Text(kName),
       MatchMarker::SameCodeSameName},
      {u"GB/T 5490-2010  粮油检验 一般规则", Text(kCode), Text(kName), MatchMarker::SameCodeOtherName},
      {u"GB/T 5490-2010 粮油检验 一般规则 ", Text(kCode), Text(kName), MatchMarker::SameCodeOtherName},
      {u"GB 5490-85 粮油检验 一般规则", Text(kCode), Text(kName), MatchMarker::OtherCodeOtherName},
      // An empty code is never contained...
      {u"GB 5490-85", u"", u"", MatchMarker::OtherCode},
      // ...but with no code the title can still be the empty code, a space and the name.
      {u" 粮油检验 一般规则", u"", Text(kName), MatchMarker::OtherCodeSameName},
      {u"粮油检验 一般规则", u"", Text(kName), MatchMarker::OtherCodeOtherName},
  };
  testing::expectEach(classifyHit, rows);
}

TEST(HitRecordText, SixFieldsJoinedBySquaresAndClosedByBracket) {
  EXPECT_EQ(recordText(record(MatchMarker::SameCodeSameName, u"GB/T 5490-2010 粮油检验 一般规则", u"h")),
            u"【同号同名■现行有效■GB/T 5490-2010 粮油检验 一般规则■2010-12-24■2011-02-01■h】");
  HitRecord empty;
  EXPECT_EQ(recordText(empty), u"【异号■■■■■】");
}

TEST(ResultLineBuilding, SameCodeHitsGoInFrontInReversePageOrder) {
  const HitRecord first = record(MatchMarker::SameCode, u"first", u"1");
  const HitRecord second = record(MatchMarker::OtherCode, u"second", u"2");
  const HitRecord third = record(MatchMarker::SameCodeOtherName, u"third", u"3");
  const HitRecord fourth = record(MatchMarker::OtherCodeOtherName, u"fourth", u"4");
  EXPECT_EQ(lineOf({first, second, third, fourth}).line,
            recordText(third) + recordText(first) + recordText(second) + recordText(fourth));
  EXPECT_EQ(lineOf({}).line, kNotFoundLine);
}

TEST(FillRow, NotFoundKeepsTheEnteredNameAndDropsAnEarlierLink) {
  ResultRow row{std::u16string(kCode), std::u16string(kName), u"/standard/1.html", Site::Library};
  fillRow(row, {});
  EXPECT_EQ(row, (ResultRow{std::u16string(kCode), std::u16string(kName), u"", Site::Library}));
}

TEST(FillRow, FirstRecordGivesNameWithoutCodeAndLink) {
  const std::vector<HitRecord> records =
      lineOf(
          {record(MatchMarker::OtherCode, u"GB 5490-85 粮食检验", u"/standard/9.html"),
           record(MatchMarker::SameCodeOtherName, u"GB/T 5490-2010 粮油检验 一般规则", u"/standard/7.html")})
          .records;
  ResultRow row{std::u16string(kCode), u"typed name", u"", Site::Portal};
  fillRow(row, records);
  EXPECT_EQ(row, (ResultRow{std::u16string(kCode), u"粮油检验 一般规则", u"/standard/7.html", Site::Portal}));
}

TEST(FillRow, WithoutSameCodeHitTheFirstHitsWholeTitleIsTheName) {
  const std::vector<HitRecord> records =
      lineOf({record(MatchMarker::OtherCode, u"  GB 5490-85 粮食检验 ", u"/standard/9.html"),
              record(MatchMarker::OtherCode, u"GB 1354 大米", u"/standard/8.html")})
          .records;
  ResultRow row{std::u16string(kCode), u"", u"", Site::Library};
  fillRow(row, records);
  EXPECT_EQ(row.name, u"GB 5490-85 粮食检验");
  EXPECT_EQ(row.link, u"/standard/9.html");

  ResultRow noCode{u"", u"", u"", Site::Library};
  fillRow(noCode, records);
  EXPECT_EQ(noCode.name, u"GB 5490-85 粮食检验");
}

TEST(FillRow, SquareInsideTheFirstTitleLeavesNameLinkAndItemIdToTheRecord) {
  ResultRow row{std::u16string(kCode), u"", u"", Site::Library};
  fillRow(row, {record(MatchMarker::OtherCode, u"GB 5490-85 粮食检验■一般规则", u"/standard/3.html")});
  EXPECT_EQ(row.name, u"GB 5490-85 粮食检验■一般规则");
  EXPECT_EQ(row.link, u"/standard/3.html");
  EXPECT_EQ(itemId(row), u"3");
}

TEST(RowLink, HasLinkFromFourCharactersAndItemIdIsTheLastElement) {
  EXPECT_FALSE(hasLink(ResultRow{u"", u"", u"abc", Site::Library}));
  EXPECT_TRUE(hasLink(ResultRow{u"", u"", u"abcd", Site::Library}));
  EXPECT_EQ(itemId(ResultRow{u"", u"", u"/standard/12345.html", Site::Library}), u"12345");
  EXPECT_EQ(itemId(ResultRow{u"", u"", u"http://lib.example.invalid/standard/678.html", Site::Library}),
            u"678");
}

}  // namespace
}  // namespace hengdian
