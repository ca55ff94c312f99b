#include "lookup/library_site.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "lookup/hit_blocks.h"
#include "lookup/site.h"
#include "support/test_helpers.h"
#include "test_pages.h"

namespace hengdian {
namespace {

constexpr std::u16string_view kCode = u"GB/T 5490-2010";
constexpr std::u16string_view kName = u"粮油检验 一般规则";
using Text = std::u16string;

TEST(StatusVocabulary, ImageCodesMapExactlyAndAnythingElseIsUnknown) {
  const std::vector<std::tuple<Text, Text>> rows{
      {u"xxyx", u"现行有效"}, {u"jjss", u"即将实施"}, {u"yjfz", u"已经废止"}, {u"bfyx", u"部分有效"},
      {u"jjfz", u"即将废止"}, {u"XXYX", u"未知"},     {u"xxyx ", u"未知"},    {u"", u"未知"},
  };
  testing::expectEach([](const Text &code) { return Text(imageStatusText(code)); }, rows);
}

ResultLine libraryLine(std::u16string_view page, std::u16string_view code, std::u16string_view name) {
  return parseResultPage(Site::Library, page, code, name, u"").line;
}

// One hit as the library site lists it.
std::u16string hit(std::u16string_view title, std::u16string_view image, std::u16string_view href) {
  return u"<li><span class=\"bzmc\"><A title=\"" + std::u16string(title) + u"\" href=\"" +
         std::u16string(href) + u"\" target=\"_blank\">" + std::u16string(title) +
         u"</A></span><img src=\"skin/default/images/" + std::u16string(image) +
         u".gif\" /><span class=\"bzrq\">2010-12-24</span><span class=\"bzck\">" +
         u"2011-02-01</span></li>\n";
}

TEST(LibraryParser, WorkedExampleGivesOneRecordAndFillsTheRow) {
  const std::u16string page = u"<ul>\n" + hit(u"GB/T 5490-2010 粮油检验 一般规则", u"xxyx", u"h") + u"</ul>";
  const ResultLine line = libraryLine(page, kCode, kName);
  EXPECT_EQ(line, u"【同号同名■现行有效■GB/T 5490-2010 粮油检验 一般规则■2010-12-24■2011-02-01■h】");
  EXPECT_EQ(filledRow(kCode, kName, Site::Library, page, u""),
            (ResultRow{Text(kCode), u"粮油检验 一般规则", u"h", Site::Library}));
}

TEST(LibraryParser, PageWithoutHitMarkerIsNotFound) {
  for (const Text &page : {
           Text(u""),
           Text(u"<html><body>没有找到相关标准</body></html>"),
           // The marker's upper-case A is part of it.
           Text(u"<span class=\"bzmc\"><a title=\"GB/T 5490-2010\" href=\"/standard/1.html\">"),
       }) {
    EXPECT_EQ(libraryLine(page, kCode, kName), kNotFoundLine) << toUtf8(page);
  }
}

TEST(LibraryParser, DecodedResultPageWithUnrelatedElementsAroundTheHits) {
  const std::u16string page = readTestPage("library_page.html");
  ASSERT_FALSE(page.empty());
  const ResultLine line = libraryLine(page, kCode, kName);
  EXPECT_EQ(line,
            u"【同号异名■部分有效■GB/T 5490-2010 粮油检验 一般规则(英文版)■发布日期：2010-12-24■"
            u"实施日期：2011-02-01■/standard/444.html】"
            u"【同号同名■即将实施■GB/T 5490-2010 粮油检验 一般规则■发布日期：2010-12-24■■/standard/222.html】"
            u"【异号异名■已经废止■GB/T 5009.3-2016 食品安全国家标准 食品中水分的测定■发布日期： 2016-08-31■"
            u"实施日期：2017-03-01■/standard/111.html】"
            u"【异号异名■未知■GB 5490-85 粮食检验■一般规则■■实施日期：1986-01-01■/standard/333.html】");
  const ResultRow row = filledRow(kCode, kName, Site::Library, page, u"");
  EXPECT_EQ(row,
            (ResultRow{Text(kCode), u"粮油检验 一般规则(英文版)", u"/standard/444.html", Site::Library}));
  EXPECT_EQ(itemId(row), u"444");
}

TEST(LibraryParser, StatusImageCodeEndsAtGifAndIsLookedForInTheBlockOnly) {
  EXPECT_EQ(libraryLine(hit(u"A", u"jjfz", u"/1.html"), u"", u""),
            u"【异号■即将废止■A■2010-12-24■2011-02-01■/1.html】");
  EXPECT_EQ(libraryLine(hit(u"A", u"XXYX", u"/1.html"), u"", u""),
            u"【异号■未知■A■2010-12-24■2011-02-01■/1.html】");

  // No image in the first hit: the second hit's image does not count for it...
  const std::u16string twoHits =
      u"<span class=\"bzmc\"><A title=\"A\" href=\"/1.html\">A</A></span>" + hit(u"B", u"yjfz", u"/2.html");
  EXPECT_EQ(libraryLine(twoHits, u"", u""),
            u"【异号■未知■A■■■/1.html】【异号■已经废止■B■2010-12-24■2011-02-01■/2.html】");
  // ...but for the last hit the rest of the page is its block.
  const std::u16string lastHit =
      u"<span class=\"bzmc\"><A title=\"A\" href=\"/1.html\">A</A></span><div class=\"foot\">"
      u"<img src=\"skin/default/images/xxyx.gif\"></div>";
  EXPECT_EQ(libraryLine(lastHit, u"", u""), u"【异号■现行有效■A■■■/1.html】");
}

TEST(LibraryParser, FieldsKeepTabsTagsAndEntitiesAsOnThePage) {
  const std::u16string page =
      u"<span class=\"bzmc\"><A title=\"GB/T 5490-2010\t&amp; 规则\" href=\"../standard/5.html?a=1\">x</A>"
      u"<span class=\"bzrq\"><b>2010</b>&nbsp;</span><span class=\"bzck\">\t2011 </span>";
  EXPECT_EQ(libraryLine(page, kCode, u""),
            u"【同号■未知■GB/T 5490-2010\t&amp; 规则■<b>2010</b>&nbsp;■\t2011 ■../standard/5.html?a=1】");
}

TEST(LibraryParser, LineBreaksInsideARecordBecomeSpacesButClassificationSeesThemRaw) {
  const std::u16string page =
      u"<span class=\"bzmc\"><A title=\"GB/T 5490-2010\r\n粮油检验 一般规则\" href=\"/standard/\n7.html\">"
      u"<img src=\"skin/default/images/xxyx.gif\"><span class=\"bzrq\">2010\r-12-24</span>"
      u"<span class=\"bzck\">2011-02-01\n</span>";
  const ResultLine line = libraryLine(page, kCode, kName);
  EXPECT_EQ(
      line,
      u"【同号异名■现行有效■GB/T 5490-2010  粮油检验 一般规则■2010 -12-24■2011-02-01 ■/standard/ 7.html】");
  EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string::npos);
  EXPECT_EQ(filledRow(kCode, kName, Site::Library, page, u""),
            (ResultRow{Text(kCode), u"粮油检验 一般规则", u"/standard/ 7.html", Site::Library}));
}

TEST(LibraryParser, ManyHitsKeepTheirOrder) {
  std::u16string page = u"<html><body><ul>\n";
  std::u16string expected;
  constexpr int kHits = 3000;
  for (int i = 1; i <= kHits; ++i) {
    const std::u16string n = fromUtf8(std::to_string(i)), href = u"/standard/" + n + u".html";
    page += hit(u"GB/T 5490-2010 第" + n + u"部分", u"xxyx", href);
    expected =
        u"【同号■现行有效■GB/T 5490-2010 第" + n + u"部分■2010-12-24■2011-02-01■" + href + u"】" + expected;
  }
  page += u"</ul></body></html>";
  EXPECT_EQ(libraryLine(page, kCode, u""), expected);
}

// The parsers cut fields with fieldBetween; it must agree with the two cuts it stands for, also
// where the markers overlap, repeat or are missing.
TEST(FieldBetween, AgreesWithFieldTwoAtStartThenFieldOneAtEnd) {
  const std::vector<std::tuple<std::u16string, std::u16string, std::u16string>> cases{
      {u"x<a>1</a>", u"<a>", u"</a>"},
      {u"x<a>1</a><a>2</a>", u"<a>", u"</a>"},
      {u"<a>1<a>2</a>", u"<a>", u"</a>"},
      {u"<a>1</<a>2</a>", u"<a>", u"</a>"},
      {u"<a>12", u"<a>", u"</a>"},
      {u"<a>1<a>2", u"<a>", u"</a>"},
      {u"12</a>", u"<a>", u"</a>"},
      {u"", u"<a>", u"</a>"},
      {u"aaaa", u"aa", u"a"},
      {u"aabab", u"ab", u"ba"},
      {u"h=\"a\"b", u"h=\"", u"\""},
      {u"h=\"h=\"x\"", u"h=\"", u"\""},
      {u"s>x>y<z</s>", u"s>", u"</s>"},
      {u"abcabcab", u"abc", u"cab"},
      {u"xy1axy2", u"xy", u"ax"},  // the next start begins inside the end marker
  };
  for (const auto &[block, start, end] : cases)
    EXPECT_EQ(fieldBetween(block, start, end), fieldOf(fieldOf(block, 2, start), 1, end))
        << toUtf8(block) << " / " << toUtf8(start) << " / " << toUtf8(end);
}

// A page must not break the one-line-per-entry rule nor drive the terminal that shows the line.
TEST(ParseResultPage, ControlCharactersInEveryFieldBecomeOneSpaceEachOnBothSites) {
  const std::u16string controls = u"\x01\x1b\x0b\x0c\x1f\x7f\u0080\u0085\u009b\u009f\u2028\u2029";
  const std::u16string spaces(controls.size(), u' ');
  const std::u16string c = controls + u"\t";  // TAB stays
  const std::u16string s = spaces + u"\t";
  const std::u16string library = u"<span class=\"bzmc\"><A title=\"T" + c + u"\" href=\"/l" + c +
                                 u"\"><img src=\"skin/default/images/xxyx.gif\"><span class=\"bzrq\">4" + c +
                                 u"</span><span class=\"bzck\">5" + c + u"</span>";
  EXPECT_EQ(libraryLine(library, u"", u""),
            u"【异号■现行有效■T" + s + u"■4" + s + u"■5" + s + u"■/l" + s + u"】");
  const std::u16string portal = u"<div class=\"search-list\"><span style=\"c\">现行" + controls +
                                u"</span><span alt=\"T" + c + u"\"></span><i class=\"d\">发布日期：<em>4" +
                                controls + u"</em><i class=\"d\">实施日期：<em>5" + controls +
                                u"</em><a class=\"flexible\" href=\"/l" + c + u"\">";
  EXPECT_EQ(
      parseResultPage(Site::Portal, portal, u"", u"", u"p").line,
      u"【异号■现行" + spaces + u"■T" + s + u"■4" + spaces + u"■5" + spaces + u"■https://p/l" + s + u"】");
}

// The site chooser's items and the numbers of JSON: 1 is the portal site, every other number the
// library site.
TEST(ParseResultPage, GoesToTheParserOfTheSiteNumbered) {
  const std::u16string libraryPage = hit(u"GB/T 5490-2010 粮油检验 一般规则", u"xxyx", u"/standard/1.html");
  const std::u16string portalPage =
      u"<div class=\"search-list\"><span style=\"c\">现行</span><span alt=\"GB/T 5490-2010\">"
      u"<a class=\"flexible\" href=\"/d?id=1\">";
  const ResultLine fromLibrary = libraryLine(libraryPage, kCode, kName);
  EXPECT_NE(fromLibrary, kNotFoundLine);
  for (const std::int32_t number : {0, 2, -1})
    EXPECT_EQ(parseResultPage(siteAt(number), libraryPage, kCode, kName, u"p").line, fromLibrary) << number;
  EXPECT_EQ(libraryLine(portalPage, kCode, kName), kNotFoundLine);
  EXPECT_EQ(parseResultPage(siteAt(1), portalPage, kCode, kName, u"p").line,
            u"【同号异名■现行■GB/T 5490-2010■■■https://p/d?id=1】");
}

}  // namespace
}  // namespace hengdian
