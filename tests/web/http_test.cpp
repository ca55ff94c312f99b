#include "web/http.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/stand_in_sites.h"
#include "web/web_test_support.h"

namespace hengdian {
namespace {

using namespace std::string_literals;
using testing::RawAnswer;
using testing::StandInSites;

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override { setHttpCaFile(sites.caFile()); }
  void TearDown() override { setHttpCaFile(""); }

  std::u16string libraryUrl(const std::string &pathAndQuery) const {
    return u16(sites.libraryBase() + pathAndQuery);
  }
  std::u16string portalUrl(const std::string &pathAndQuery) const {
    return u16(sites.portalBase() + pathAndQuery);
  }

  StandInSites sites;
};

TEST_F(HttpTest, RedirectThenOkKeepsEveryHeaderBlockAndTheFinalBodyOnly) {
  sites.setDownload("1", {RawAnswer{302, {{"Location", "/files/final.txt"}}, "body of the redirect"}});
  sites.setLibraryPath("/files/final.txt", testing::pageAnswer("text/plain", "final body"));

  auto request = sendHttpRequest(HttpMethod::Get, libraryUrl("/standard/down.php?auth=1"), u"", nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Finished);
  EXPECT_EQ(httpInfo(*request, HttpInfoKind::StatusCode), u"200");
  EXPECT_EQ(httpInfo(*request, HttpInfoKind::ErrorText), u"");
  EXPECT_EQ(httpInfo(*request, HttpInfoKind::BodyText), u"final body");

  const std::u16string headers = httpInfo(*request, HttpInfoKind::HeaderText);
  EXPECT_EQ(headers.rfind(u"HTTP/1.1 302", 0), 0u);
  const auto location = headers.find(u"Location: /files/final.txt\r\n");
  const auto finalBlock = headers.find(u"HTTP/1.1 200");
  ASSERT_NE(location, std::u16string::npos);
  ASSERT_NE(finalBlock, std::u16string::npos);
  EXPECT_LT(location, finalBlock);
  EXPECT_EQ(headers.substr(headers.size() - 4), u"\r\n\r\n");

  EXPECT_EQ(takeHttpBody(*request), "final body");
  EXPECT_EQ(takeHttpBody(*request), std::nullopt);  // handed over once only
  finishHttpRequest(std::move(request));
}

TEST_F(HttpTest, UnreachableHostGivesAFailedRequestWithAnErrorText) {
  const int port = testing::closedLocalPort();
  auto request =
      sendHttpRequest(HttpMethod::Get, u16("http://127.0.0.1:" + std::to_string(port) + "/x"), u"", nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Failed);
  EXPECT_EQ(httpInfo(*request, HttpInfoKind::StatusCode), u"0");
  EXPECT_NE(httpInfo(*request, HttpInfoKind::ErrorText), u"");
  EXPECT_EQ(httpInfo(*request, HttpInfoKind::BodyText), u"");
  EXPECT_EQ(takeHttpBody(*request), std::nullopt);
  finishHttpRequest(std::move(request));

  EXPECT_EQ(sendHttpRequest(HttpMethod::Get, u"", u"", nullptr), nullptr);  // no URL, no request
}

TEST_F(HttpTest, BodiesAreKeptByteForByte) {
  sites.setLibraryPath("/empty", testing::pageAnswer("text/plain", ""));
  sites.setLibraryPath("/zero", testing::pageAnswer("text/plain", "abc\0def"s));
  sites.setLibraryPath("/missing", RawAnswer{404, {}, "not here"});
  std::string large(3 * 524288 + 17, 'x');
  for (std::size_t i = 0; i < large.size(); i += 4099)
    large[i] = static_cast<char>('a' + i % 26);
  sites.setLibraryPath("/large", testing::pageAnswer("application/octet-stream", large));

  auto empty = sendHttpRequest(HttpMethod::Get, libraryUrl("/empty"), u"", nullptr);
  EXPECT_EQ(httpInfo(*empty, HttpInfoKind::BodyText), u"");
  EXPECT_EQ(takeHttpBody(*empty), "");

  auto zero = sendHttpRequest(HttpMethod::Get, libraryUrl("/zero"), u"", nullptr);
  EXPECT_EQ(httpInfo(*zero, HttpInfoKind::BodyText), u"abc");
  EXPECT_EQ(takeHttpBody(*zero), "abc\0def"s);

  // An error status is a finished request like any other.
  auto missing = sendHttpRequest(HttpMethod::Get, libraryUrl("/missing"), u"", nullptr);
  EXPECT_EQ(missing->state, HttpState::Finished);
  EXPECT_EQ(httpInfo(*missing, HttpInfoKind::StatusCode), u"404");
  EXPECT_EQ(takeHttpBody(*missing), "not here");

  auto big = sendHttpRequest(HttpMethod::Get, libraryUrl("/large"), u"", nullptr);
  const auto bytes = takeHttpBody(*big);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_TRUE(*bytes == large) << "received " << bytes->size() << " of " << large.size() << " bytes";
}

TEST_F(HttpTest, PostSendsTheUtf8FormBodyAsAForm) {
  auto request = sendHttpRequest(HttpMethod::Post, portalUrl("/basicsearch"),
                                 u"text=GB/T%205490-2010&search=a100&note=粮", nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Finished)
      << std::string(toUtf8(httpInfo(*request, HttpInfoKind::ErrorText)));

  const auto recorded = sites.requests();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].site, "portal");
  EXPECT_EQ(recorded[0].method, "POST");
  EXPECT_EQ(recorded[0].path, "/basicsearch");
  EXPECT_EQ(recorded[0].body, "text=GB/T%205490-2010&search=a100&note=\xE7\xB2\xAE");
  EXPECT_EQ(recorded[0].header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(recorded[0].header("User-Agent"), std::string(kHttpUserAgent));
}

TEST_F(HttpTest, PostWithAnEmptyBodySendsAnEmptyBody) {
  auto request = sendHttpRequest(HttpMethod::Post, portalUrl("/basicsearch"), u"", nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Finished);
  const auto recorded = sites.requests();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].method, "POST");
  EXPECT_EQ(recorded[0].body, "");
  EXPECT_EQ(recorded[0].header("Content-Length"), "0");
  EXPECT_FALSE(recorded[0].hasHeader("Transfer-Encoding"));
}

TEST_F(HttpTest, GetSendsNoBodyAndNoContentType) {
  auto request = sendHttpRequest(
      HttpMethod::Get, libraryUrl("/standard/search.php?corpstandard=2&fields=0&kw=GB/T%205490-2010"), u"",
      nullptr);
  ASSERT_NE(request, nullptr);

  const auto recorded = sites.requests();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].method, "GET");
  EXPECT_EQ(recorded[0].path, "/standard/search.php");
  EXPECT_EQ(recorded[0].query, "corpstandard=2&fields=0&kw=GB/T%205490-2010");
  EXPECT_EQ(recorded[0].body, "");
  EXPECT_FALSE(recorded[0].hasHeader("Content-Type"));
  EXPECT_EQ(recorded[0].header("User-Agent"), std::string(kHttpUserAgent));
}

TEST_F(HttpTest, UrlGoesOutInTheLegacyCodePage) {
  auto request =
      sendHttpRequest(HttpMethod::Get, libraryUrl("/standard/search.php?kw=\xE7\xB2\xAE"), u"", nullptr);
  ASSERT_NE(request, nullptr);
  const auto recorded = sites.requests();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].query, "kw=\xC1\xB8");  // 粮 in GBK
}

TEST_F(HttpTest, RequestsOnTwoThreadsAreIndependent) {
  sites.setLibraryPath("/one", testing::pageAnswer("text/plain", "first"));
  sites.setLibraryPath("/two", testing::pageAnswer("text/plain", "second"));
  std::u16string first;
  std::u16string second;
  std::thread other([&] {
    auto request = sendHttpRequest(HttpMethod::Get, libraryUrl("/two"), u"", nullptr);
    second = httpInfo(*request, HttpInfoKind::BodyText);
  });
  auto request = sendHttpRequest(HttpMethod::Get, libraryUrl("/one"), u"", nullptr);
  first = httpInfo(*request, HttpInfoKind::BodyText);
  other.join();
  EXPECT_EQ(first, u"first");
  EXPECT_EQ(second, u"second");
}

TEST_F(HttpTest, ExtraHeadersGoOutAndAnEmptyValueStaysAHeader) {
  const HttpHeaders headers{{u"User-Agent", u"Test Browser 粮"}, {u"Referer", u""}, {u"X-Note", u"a b"}};
  auto request = sendHttpRequest(HttpMethod::Get, libraryUrl("/standard/index.html"), u"", &headers);
  ASSERT_NE(request, nullptr);

  const auto recorded = sites.requests();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].header("User-Agent"), "Test Browser \xE7\xB2\xAE");
  EXPECT_TRUE(recorded[0].hasHeader("Referer"));
  EXPECT_EQ(recorded[0].header("Referer"), "");
  EXPECT_EQ(recorded[0].header("X-Note"), "a b");
}

TEST_F(HttpTest, HttpsVerificationStaysOnWithoutTheTestAuthority) {
  setHttpCaFile("");
  auto request = sendHttpRequest(HttpMethod::Post, portalUrl("/basicsearch"), u"text=x", nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Failed);
  EXPECT_NE(httpInfo(*request, HttpInfoKind::ErrorText), u"");
  EXPECT_TRUE(sites.requests().empty());
}

TEST_F(HttpTest, RedirectLoopEndsAsAFailure) {
  sites.setLibraryPath("/loop", testing::redirectAnswer("/loop"));
  auto request = sendHttpRequest(HttpMethod::Get, libraryUrl("/loop"), u"", nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Failed);
  EXPECT_NE(httpInfo(*request, HttpInfoKind::ErrorText), u"");
  EXPECT_EQ(sites.requests().size(), 31u);  // the first request and 30 redirects
}

TEST_F(HttpTest, RaisedStopFlagEndsAHeldRequest) {
  RawAnswer held = testing::pageAnswer("text/plain", "too late");
  held.delay = std::chrono::seconds(30);
  sites.setLibraryPath("/held", held);
  StopFlag stop;
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop.requestStop();
  });
  auto request = sendHttpRequest(HttpMethod::Get, libraryUrl("/held"), u"", nullptr, &stop);
  stopper.join();
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Failed);
  EXPECT_EQ(takeHttpBody(*request), std::nullopt);
}

TEST_F(HttpTest, StalledTransferFails) {
  setHttpStallSeconds(1);
  RawAnswer held = testing::pageAnswer("text/plain", "too late");
  held.delay = std::chrono::seconds(30);
  sites.setLibraryPath("/stalled", held);
  auto request = sendHttpRequest(HttpMethod::Get, libraryUrl("/stalled"), u"", nullptr);
  setHttpStallSeconds(60);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Failed);
  EXPECT_NE(httpInfo(*request, HttpInfoKind::ErrorText), u"");
}

TEST(UrlEncode, KeepsTheUrlCharactersAndEncodesTheRest) {
  EXPECT_EQ(urlEncode(u"GB/T 5490-2010"), u"GB/T%205490-2010");
  EXPECT_EQ(urlEncode(u"+"), u"%2B");
  EXPECT_EQ(urlEncode(u"%"), u"%25");
  EXPECT_EQ(urlEncode(u"粮"), u"%E7%B2%AE");
  EXPECT_EQ(urlEncode(u""), u"");
  EXPECT_EQ(urlEncode(u"a=1&b=(x);c:~'*!@#$,?"), u"a=1&b=(x);c:~'*!@#$,?");
}

}  // namespace
}  // namespace hengdian
