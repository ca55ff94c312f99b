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

// With no record the entered name stays and an earlier link goes; else the first same-code
// record gives its title without the code, or the first record its whole title, and its link.
TEST(FillRow, TakesNameAndLinkFromTheFirstRecordThatFits) {
  const Text code(kCode);
  const std::vector<HitRecord> others =
      lineOf({record(MatchMarker::OtherCode, u"  GB 5490-85 粮食检验 ", u"/standard/9.html"),
              record(MatchMarker::OtherCode, u"GB 1354 大米", u"/standard/8.html")})
          .records;
  const HitRecord squared =
      record(MatchMarker::OtherCode, u"GB 5490-85 粮食检验■一般规则", u"/standard/3.html");
  const auto filled = [](ResultRow row, const std::vector<HitRecord> &records) {
    fillRow(row, records);
    return row;
  };
  const std::vector<std::tuple<ResultRow, std::vector<HitRecord>, ResultRow>> rows{
      {{code, Text(kName), u"/standard/1.html", Site::Library}, {}, {code, Text(kName), u"", Site::Library}},
      {{code, u"typed name", u"", Site::Portal},
       lineOf(
           {record(MatchMarker::OtherCode, u"GB 5490-85 粮食检验", u"/standard/9.html"),
            record(MatchMarker::SameCodeOtherName, u"GB/T 5490-2010 粮油检验 一般规则", u"/standard/7.html")})
           .records,
       {code, u"粮油检验 一般规则", u"/standard/7.html", Site::Portal}},
      {{code, u"", u"", Site::Library},
       others,
       {code, u"GB 5490-85 粮食检验", u"/standard/9.html", Site::Library}},
      {{u"", u"", u"", Site::Library},
       others,
       {u"", u"GB 5490-85 粮食检验", u"/standard/9.html", Site::Library}},
      {{code, u"", u"", Site::Library},
       {squared},
       {code, u"GB 5490-85 粮食检验■一般规则", u"/standard/3.html", Site::Library}},
  };
  testing::expectEach(filled, rows);
  EXPECT_EQ(itemId(filled({code, u"", u"", Site::Library}, {squared})), u"3");
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
