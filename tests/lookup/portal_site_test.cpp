#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "lookup/site.h"
#include "runtime/text.h"
#include "support/test_helpers.h"
#include "test_pages.h"

namespace hengdian {
namespace {

constexpr std::u16string_view kCode = u"GB/T 5490-2010";
constexpr std::u16string_view kName = u"粮油检验 一般规则";
constexpr std::u16string_view kBase = u"https://portal.example.invalid";

ResultLine portalLine(std::u16string_view page, std::u16string_view code, std::u16string_view name) {
  return parseResultPage(Site::Portal, page, code, name, u"portal.example.invalid").line;
}

// One hit of the portal's list with the given status element contents (behind "<span style=").
std::u16string hitWithStatus(std::u16string_view status) {
  return u"<div class=\"search-list\"><span style=" + std::u16string(status) +
         u"</span><span alt=\"T\">T</span></div>";
}

std::u16string statusOf(std::u16string_view status) {
  const ResultLine line = portalLine(hitWithStatus(status), u"", u"");
  return fieldOf(fieldOf(line, 1, u"■T■"), 2, u"【异号■");
}

TEST(PortalParser, PageWithoutHitMarkerIsNotFound) {
  for (const std::u16string &page : {
           std::u16string(u""),
           std::u16string(u"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"),
           std::u16string(u"<div class=\"search-result\"><p>共 0 条</p></div>"),
           // The marker ends with its ">": a list entry with one more attribute is no hit.
           std::u16string(u"<div class=\"search-list\" hidden><span alt=\"GB/T 5490-2010\"></span></div>"),
       }) {
    EXPECT_EQ(portalLine(page, kCode, kName), kNotFoundLine) << toUtf8(page);
  }
}

TEST(PortalParser, HeadersAndResultPageWithNestedStatusesAndMissingLabels) {
  const std::u16string page = readTestPage("portal_page.txt");
  ASSERT_FALSE(page.empty());
  const ResultLine line = portalLine(page, kCode, kName);
  EXPECT_EQ(line,
            u"【同号异名■即将实施■GB/T 5490-2010 粮油检验 一般规则 第1号修改单■■2025-01-01■"
            u"https://portal.example.invalid】"
            u"【同号同名■现行■GB/T 5490-2010 粮油检验 一般规则■2010-12-24■2011-02-01■"
            u"https://portal.example.invalid/hbDetail?hcno=AAA111】"
            u"【异号异名■被代替 (部分)■GB/T 1354-2018 大米■2018-05-14■■"
            u"https://portal.example.invalidhttps://other.example.invalid/hbDetail?hcno=BBB222】");
  const ResultRow row = filledRow(kCode, kName, Site::Portal, page, u"portal.example.invalid");
  EXPECT_EQ(row, (ResultRow{std::u16string(kCode), u"粮油检验 一般规则 第1号修改单", std::u16string(kBase),
                            Site::Portal}));
  EXPECT_TRUE(hasLink(row));
}

TEST(PortalParser, StatusIsTheElementTextOrItsFirstNestedTagCleaned) {
  const std::vector<std::tuple<std::u16string, std::u16string>> rows{
      {u"\"color:red\">现行", u"现行"},
      {u"\"color:red\">\r\n\t\t 即将 实施 \t\r\n", u"即将 实施"},
      {u"\"color:red\"><b>\n\t废止\n\t</b>", u"废止"},
      {u"\"color:red\"><i class=\"x\">\t现行 有效</i><em>别的</em>", u"现行 有效"},
      // Only the outer spaces go: U+3000 stays like any other character.
      {u"\"c\">\u3000现行\u3000", u"\u3000现行\u3000"},
  };
  testing::expectEach(statusOf, rows);
}

TEST(PortalParser, DatesRunFromBehindTheLabelsTagToTheNextTagAndMissingLabelsGiveEmptyFields) {
  const std::u16string page =
      u"<div class=\"search-list\"><span alt=\"T\"></span>"
      u"<li><span class=\"l\">发布日期</span>\n\t 2010-12-24 \n</li>"
      u"<li><span class=\"l\">实施日期：<i>2011-02-01</i></span></li></div>"
      u"<div class=\"search-list\"><span alt=\"U\"></span><span class=\"l\">实施日期 2012 > 2013</span>"
      u"<div class=\"search-list\"><span alt=\"V\"></span><span class=\"l\">发布日期</span>";
  EXPECT_EQ(portalLine(page, u"", u""),
            u"【异号■■T■2010-12-24■2011-02-01■https://portal.example.invalid】"
            u"【异号■■U■■2013■https://portal.example.invalid】"
            u"【异号■■V■■■https://portal.example.invalid】");
}

TEST(PortalParser, LinkIsTheBaseAddressAndTheFirstFlexibleAnchorsHref) {
  const std::u16string page =
      u"<div class=\"search-list\"><span alt=\"GB/T 5490-2010\u3000粮油检验\u3000一般规则\"></span>"
      u"<a class=\"other\" href=\"/wrong\"></a><a class=\"flexible\" href=\"/hbDetail?hcno=1\"></a>"
      u"<a class=\"flexible\" href=\"/second\"></a>";
  EXPECT_EQ(
      portalLine(page, kCode, kName),
      u"【同号同名■■GB/T 5490-2010 粮油检验 一般规则■■■https://portal.example.invalid/hbDetail?hcno=1】");
}

TEST(PortalParser, LineBreaksInTitleAndLinkBecomeSpacesButClassificationSeesThemRaw) {
  const std::u16string page =
      u"<div class=\"search-list\"><span style=\"c\">现行</span>"
      u"<span alt=\"GB/T 5490-2010\n粮油检验 一般规则\"></span><a class=\"flexible\" "
      u"href=\"/hbDetail?\r\nid=1\">";
  const ResultLine line = portalLine(page, kCode, kName);
  EXPECT_EQ(
      line,
      u"【同号异名■现行■GB/T 5490-2010 粮油检验 一般规则■■■https://portal.example.invalid/hbDetail?  id=1】");
  EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string::npos);
}

}  // namespace
}  // namespace hengdian
