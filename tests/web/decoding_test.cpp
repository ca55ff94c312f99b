#include "web/decoding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/text.h"
#include "support/stand_in_sites.h"
#include "support/test_helpers.h"
#include "web/http.h"
#include "web/response_headers.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using testing::RawAnswer;

const std::string kGbkText = "\xD6\xD0\xCE\xC4 \xC1\xB8";               // "中文 粮" in GBK
const std::string kUtf8Text = "\xE4\xB8\xAD\xE6\x96\x87 \xE7\xB2\xAE";  // "中文 粮" in UTF-8

TEST(ChainCharset, TakesTheLowerCasedLineRestAfterCharsetBehindTheLastContentType) {
  const std::vector<std::tuple<std::u16string, std::u16string>> rows{
      {u"HTTP/1.1 200 OK\r\nContent-Type: text/html; Charset=UTF-8\r\n\r\n", u"utf-8"},
      {u"Content-Type: text/html;charset=GBK\r\nServer: x\r\n\r\n", u"gbk"},
      {u"content-type: text/html; charset=\"utf-8\"\r\n", u"\"utf-8\""},
      {u"content-type: text/html; charset=utf-8; q=1\r\n", u"utf-8; q=1"},
      {u"content-type: text/html; charset=utf-8 \r\n", u"utf-8 "},
      {u"content-type: text/html; charset=utf-8", u"utf-8"},
      {u"", u""},
      // Only the last content-type of a redirect chain counts.
      {u"HTTP/1.1 302 Found\r\nContent-Type: text/html; charset=utf-8\r\n"
       u"Location: /b\r\n\r\nHTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n",
       u""},
      // A charset behind the last content-type, even in a later header line, still counts.
      {u"Content-Type: text/html\r\nX-Note: charset=big5\r\n\r\n", u"big5"},
      // Without any content-type a charset line anywhere counts.
      {u"HTTP/1.1 200 OK\r\nX-Page: charset=GB2312\r\n\r\n", u"gb2312"},
  };
  testing::expectEach([](std::u16string_view text) { return readResponseHeaders(text).chainCharset; }, rows);
}

TEST(DecodingForCharset, OnlyTheExactUtf8NamesAndBig5ReadAsUtf8) {
  const std::vector<std::tuple<std::u16string, TextDecoding>> rows{
      {u"utf8", TextDecoding::Utf8},
      {u"big5", TextDecoding::Utf8},
      {u"", TextDecoding::SystemCodePage},
      {u"utf-8;", TextDecoding::SystemCodePage},
  };
  testing::expectEach(decodingForCharset, rows);
}

class FetchTextTest : public testing::SitesTest {
 protected:
  std::u16string fetchPage(const std::string &path, RawAnswer answer, bool headersInFront = false) {
    sites.setLibraryPath(path, std::move(answer));
    return fetchSearch({HttpMethod::Get, libraryUrl(path), u"", headersInFront}).text;
  }
};

TEST_F(FetchTextTest, BodyIsDecodedByTheAnnouncedCharset) {
  EXPECT_EQ(fetchPage("/utf8", testing::pageAnswer("text/html; charset=UTF-8", kUtf8Text)), u"中文 粮");
  EXPECT_EQ(fetchPage("/gb2312", testing::pageAnswer("text/html; charset=gb2312", kGbkText)), u"中文 粮");
  EXPECT_EQ(fetchPage("/gbk", testing::pageAnswer("text/html;charset=GBK", kGbkText)), u"中文 粮");
  EXPECT_EQ(fetchPage("/big5", testing::pageAnswer("text/html; charset=big5", kUtf8Text)), u"中文 粮");
  EXPECT_EQ(fetchPage("/none", testing::pageAnswer("", kGbkText)), u"中文 粮");
  // A quoted name is not recognised, so UTF-8 bytes are read as the legacy code page.
  EXPECT_EQ(fetchPage("/quoted", testing::pageAnswer("text/html; charset=\"utf-8\"", kUtf8Text)),
            fromSystemCodePage(kUtf8Text));
  // The page's own meta declaration is never looked at.
  EXPECT_EQ(fetchPage("/meta", testing::pageAnswer("text/html", "<meta charset=\"utf-8\">" + kGbkText)),
            u"<meta charset=\"utf-8\">中文 粮");
  EXPECT_EQ(fetchPage("/zero", testing::utf8Page("before\0after"s)), u"before");
}

// A page cut off is no page; bad bytes become U+FFFD one by one, never a lone surrogate.
TEST_F(FetchTextTest, BrokenPagesGiveNoTextAndBadBytesBecomeReplacements) {
  EXPECT_EQ(fetchPage("/short", RawAnswer{200, {{"Content-Length", "100"}}, kUtf8Text}), u"");
  EXPECT_EQ(fetchPage("/chunks", RawAnswer{200, {{"Transfer-Encoding", "chunked"}}, "3\r\nabc\r\n"}), u"");
  EXPECT_EQ(fetchPage("/gbk", testing::pageAnswer("text/html; charset=gbk", "\xD6\xD0\xFF\x81\0tail"s)),
            u"中\uFFFD\uFFFD");
  EXPECT_EQ(fetchPage("/utf8", testing::utf8Page("a\xC3(b\xED\xA0\x80"
                                                 "c\xF0\x9F\x98")),
            u"a\uFFFD(b\uFFFD\uFFFD\uFFFDc\uFFFD");
}

TEST_F(FetchTextTest, IncludedHeadersStandDirectlyInFrontOfTheBody) {
  sites.setLibraryPath("/final", testing::utf8Page(kUtf8Text));
  const std::u16string text =
      fetchPage("/start", RawAnswer{302, {{"Location", "/final"}, {"X-Name", kUtf8Text}}, ""}, true);
  EXPECT_EQ(text.rfind(u"HTTP/1.1 302", 0), 0u);
  EXPECT_NE(text.find(u"X-Name: 中文 粮\r\n"), std::u16string::npos);  // decoded like the body
  EXPECT_TRUE(text.ends_with(u"\r\n\r\n中文 粮")) << toUtf8(text);
  EXPECT_EQ(countOf(text, u"HTTP/1.1 "), 2u);
}

TEST_F(FetchTextTest, PostGoesToThePortalOverHttps) {
  sites.setPortalSearch("GB/T 5490-2010", {testing::utf8Page(kUtf8Text)});
  const FetchedText fetched =
      fetchSearch({HttpMethod::Post, portalUrl("/basicsearch"), u"text=GB/T%205490-2010&search=a100"}, http);
  EXPECT_EQ(fetched.text, u"中文 粮");
  EXPECT_EQ(fetched.error, u"");
}

TEST_F(FetchTextTest, UnreachableHostGivesEmptyTextAndAnError) {
  const std::string base = testing::unreachableBase();
  for (const FetchedText &fetched : {fetchSearch({HttpMethod::Get, u16(base + "/x"), u"", true}),
                                     fetchSearch({HttpMethod::Post, u16(base + "/x"), u"text=a"})}) {
    EXPECT_EQ(fetched.text, u"");
    EXPECT_NE(fetched.error, u"");
  }
}

// The site answered a search only with a status of 200 to 299; another page is still the text.
// A 1xx is no final answer: what follows it breaks the exchange.
TEST_F(FetchTextTest, OnlyAStatusOf200To299IsAnAnswer) {
  const std::vector<std::tuple<int, std::u16string, bool>> rows{
      {199, u"", false}, {200, u"页", true}, {299, u"页", true}, {300, u"页", false}};
  for (const auto &[status, text, answered] : rows) {
    SCOPED_TRACE(status);
    sites.setLibraryPath("/page",
                         RawAnswer{status, {{"Content-Type", "text/html; charset=utf-8"}}, "\xE9\xA1\xB5"});
    const FetchedText fetched = fetchSearch({HttpMethod::Get, libraryUrl("/page")});
    EXPECT_EQ(fetched.text, text);
    EXPECT_EQ(fetched.error.empty(), answered) << toUtf8(fetched.error);
  }
}

// A page announced larger than a page may be fails as its head arrives, not once the limit has
// been read or the site has stopped holding the rest back.
TEST_F(FetchTextTest, APageAnnouncedTooLargeFailsAtOnceWithTheSize) {
  RawAnswer announced = testing::utf8Page("<html>");
  announced.fillerBytes = std::size_t{64} << 20;
  announced.holdAfterBody = 30s;
  sites.setLibraryPath("/huge", announced);
  const auto start = std::chrono::steady_clock::now();
  const FetchedText fetched = fetchSearch({HttpMethod::Get, libraryUrl("/huge")});
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_EQ(fetched.text, u"");
  EXPECT_EQ(fetched.error, u"response body larger than " + u16(std::to_string(kMaxPageBytes)) + u" bytes");
}

}  // namespace
}  // namespace hengdian
