#include "web/http.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "runtime/text.h"
#include "support/stand_in_sites.h"
#include "support/test_helpers.h"
#include "support/wine_check.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using testing::RawAnswer;

class HttpTest : public testing::SitesTest {
 protected:
  /// A GET of `pathAndQuery` on the library site, without extra headers, failing when it stalls
  /// for `stall`.
  std::unique_ptr<HttpRequest> getLibrary(const std::string &pathAndQuery, const StopFlag *stop = nullptr,
                                          std::chrono::seconds stall = 60s) {
    HttpSettings settings = http;
    settings.lowSpeedTime = stall;
    return sendHttpRequest(HttpMethod::Get, libraryUrl(pathAndQuery), u"", nullptr, settings, stop);
  }

  /// A POST of `body` to the portal's search.
  std::unique_ptr<HttpRequest> postPortal(std::u16string_view body) {
    return sendHttpRequest(HttpMethod::Post, portalUrl("/basicsearch"), body, nullptr, http);
  }

  /// Expects `request` to have failed with an error text.
  static void expectFailure(const std::unique_ptr<HttpRequest> &request) {
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->state, HttpState::Failed);
    EXPECT_NE(httpInfo(*request, HttpInfoKind::ErrorText), u"");
  }

  /// The one request the stand-ins received; an empty one (and a failure) when there were more or none.
  testing::RecordedRequest onlyRequest() const {
    const auto recorded = sites.requests();
    EXPECT_EQ(recorded.size(), 1u);
    return recorded.size() == 1 ? recorded[0] : testing::RecordedRequest{};
  }
};

TEST_F(HttpTest, RedirectThenOkKeepsEveryHeaderBlockAndTheFinalBodyOnly) {
  sites.setDownload("1", {RawAnswer{302, {{"Location", "/files/final.txt"}}, "body of the redirect"}});
  sites.setLibraryPath("/files/final.txt", testing::pageAnswer("text/plain", "final body"));

  auto request = getLibrary("/standard/down.php?auth=1");
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
  finishHttpRequest(std::move(request));
}

TEST_F(HttpTest, UnreachableHostGivesAFailedRequestWithAnErrorText) {
  auto request = sendHttpRequest(HttpMethod::Get, u16(testing::unreachableBase() + "/x"), u"", nullptr);
  expectFailure(request);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(httpInfo(*request, HttpInfoKind::StatusCode), u"0");
  EXPECT_EQ(httpInfo(*request, HttpInfoKind::BodyText), u"");
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

  auto empty = getLibrary("/empty");
  EXPECT_EQ(httpInfo(*empty, HttpInfoKind::BodyText), u"");
  EXPECT_EQ(empty->body, "");

  auto zero = getLibrary("/zero");
  EXPECT_EQ(httpInfo(*zero, HttpInfoKind::BodyText), u"abc");
  EXPECT_EQ(zero->body, "abc\0def"s);

  // An error status is a finished request like any other.
  auto missing = getLibrary("/missing");
  EXPECT_EQ(missing->state, HttpState::Finished);
  EXPECT_EQ(httpInfo(*missing, HttpInfoKind::StatusCode), u"404");
  EXPECT_EQ(missing->body, "not here");

  auto big = getLibrary("/large");
  EXPECT_TRUE(big->body == large) << "received " << big->body.size() << " of " << large.size() << " bytes";
}

// A thread keeps its receiving buffers from one finished request to the next; a page never
// shows bytes or headers of the one before it.
TEST_F(HttpTest, APageAfterALongerOneHoldsOnlyItsOwnBytes) {
  const std::string longBody(40000, 'l');
  sites.setLibraryPath("/long", testing::pageAnswer("text/plain", longBody));
  sites.setLibraryPath("/short", testing::pageAnswer("text/plain", "short"));
  for (const std::string path : {"/long", "/short", "/long", "/short"}) {
    auto request = getLibrary(path);
    EXPECT_EQ(request->body, path == "/long" ? longBody : "short");
    EXPECT_EQ(countOf(httpInfo(*request, HttpInfoKind::HeaderText), u"HTTP/"), 1u);
    finishHttpRequest(std::move(request));
  }
}

TEST_F(HttpTest, PostSendsTheUtf8FormBodyAsAForm) {
  auto request = postPortal(u"text=GB/T%205490-2010&search=a100&note=粮");
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Finished)
      << std::string(toUtf8(httpInfo(*request, HttpInfoKind::ErrorText)));

  const testing::RecordedRequest sent = onlyRequest();
  EXPECT_EQ(sent.site, "portal");
  EXPECT_EQ(sent.method, "POST");
  EXPECT_EQ(sent.path, "/basicsearch");
  EXPECT_EQ(sent.body, "text=GB/T%205490-2010&search=a100&note=\xE7\xB2\xAE");
  EXPECT_EQ(sent.header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(sent.header("User-Agent"), toUtf8(HttpSettings().userAgent));
}

TEST_F(HttpTest, PostWithAnEmptyBodySendsAnEmptyBody) {
  auto request = postPortal(u"");
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Finished);
  const testing::RecordedRequest sent = onlyRequest();
  EXPECT_EQ(sent.method, "POST");
  EXPECT_EQ(sent.body, "");
  EXPECT_EQ(sent.header("Content-Length"), "0");
  EXPECT_FALSE(sent.hasHeader("Transfer-Encoding"));
}

TEST_F(HttpTest, GetSendsNoBodyAndNoContentType) {
  auto request = getLibrary("/standard/search.php?corpstandard=2&fields=0&kw=GB/T%205490-2010");
  ASSERT_NE(request, nullptr);

  const testing::RecordedRequest sent = onlyRequest();
  EXPECT_EQ(sent.method, "GET");
  EXPECT_EQ(sent.path, "/standard/search.php");
  EXPECT_EQ(sent.query, "corpstandard=2&fields=0&kw=GB/T%205490-2010");
  EXPECT_EQ(sent.body, "");
  EXPECT_FALSE(sent.hasHeader("Content-Type"));
  EXPECT_EQ(sent.header("User-Agent"), toUtf8(HttpSettings().userAgent));
}

TEST_F(HttpTest, UrlGoesOutInTheLegacyCodePage) {
  auto request = getLibrary("/standard/search.php?kw=\xE7\xB2\xAE");
  ASSERT_NE(request, nullptr);
  const testing::RecordedRequest sent = onlyRequest();
  EXPECT_EQ(sent.query, "kw=\xC1\xB8");  // 粮 in GBK
}

TEST_F(HttpTest, RequestsOnTwoThreadsAreIndependent) {
  sites.setLibraryPath("/one", testing::pageAnswer("text/plain", "first"));
  sites.setLibraryPath("/two", testing::pageAnswer("text/plain", "second"));
  std::u16string second;
  std::thread other([&] { second = httpInfo(*getLibrary("/two"), HttpInfoKind::BodyText); });
  const std::u16string first = httpInfo(*getLibrary("/one"), HttpInfoKind::BodyText);
  other.join();
  EXPECT_EQ(first, u"first");
  EXPECT_EQ(second, u"second");
}

TEST_F(HttpTest, ExtraHeadersGoOutAndAnEmptyValueStaysAHeader) {
  const HttpHeaders headers{{u"User-Agent", u"Test Browser 粮"}, {u"Referer", u""}, {u"X-Note", u"a b"}};
  auto request = sendHttpRequest(HttpMethod::Get, libraryUrl("/standard/index.html"), u"", &headers);
  ASSERT_NE(request, nullptr);

  const testing::RecordedRequest sent = onlyRequest();
  EXPECT_EQ(sent.header("User-Agent"), "Test Browser \xE7\xB2\xAE");
  EXPECT_TRUE(sent.hasHeader("Referer"));
  EXPECT_EQ(sent.header("Referer"), "");
  EXPECT_EQ(sent.header("X-Note"), "a b");
}

// Keep-alive: a run of requests to one site costs one connection (one TLS handshake on the
// portal), and a changed CA file still decides about the next request.
TEST_F(HttpTest, RequestsOnOneThreadKeepOneConnectionPerSite) {
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(getLibrary("/standard/index.html")->state, HttpState::Finished);
    EXPECT_EQ(postPortal(u"text=x")->state, HttpState::Finished);
  }
  EXPECT_EQ(sites.connectionsAccepted("library"), 1);
  EXPECT_EQ(sites.connectionsAccepted("portal"), 1);

  if (testing::runsUnderWine())
    GTEST_SKIP() << "wine's Schannel accepts any server certificate; on Windows itself the rest must pass";
  EXPECT_EQ(sendHttpRequest(HttpMethod::Post, portalUrl("/basicsearch"), u"text=x", nullptr)->state,
            HttpState::Failed);
}

TEST_F(HttpTest, HttpsVerificationStaysOnWithoutTheTestAuthority) {
  if (testing::runsUnderWine())
    GTEST_SKIP() << "wine's Schannel accepts any server certificate; on Windows itself this must pass";
  expectFailure(sendHttpRequest(HttpMethod::Post, portalUrl("/basicsearch"), u"text=x", nullptr));
  EXPECT_TRUE(sites.requests().empty());
}

TEST_F(HttpTest, RedirectLoopEndsAsAFailure) {
  sites.setLibraryPath("/loop", testing::redirectAnswer("/loop"));
  expectFailure(getLibrary("/loop"));
  EXPECT_EQ(sites.requests().size(), 31u);  // the first request and 30 redirects
}

TEST_F(HttpTest, RaisedStopFlagEndsAHeldRequest) {
  sites.setLibraryPath("/held", testing::delayed(testing::pageAnswer("text/plain", "too late"), 30s));
  StopFlag stop;
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(200ms);
    stop.requestStop();
  });
  auto request = getLibrary("/held", &stop);
  stopper.join();
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->state, HttpState::Failed);
  EXPECT_EQ(request->body, "");
}

TEST_F(HttpTest, StalledTransferFails) {
  sites.setLibraryPath("/stalled", testing::delayed(testing::pageAnswer("text/plain", "too late"), 30s));
  expectFailure(getLibrary("/stalled", nullptr, 1s));
}

// Misbehaving sites: only a transfer that finished hands out a body; everything else fails within
// the stall limit, with an error text and no body.
TEST_F(HttpTest, BrokenAndHostileAnswersFailWithoutABody) {
  RawAnswer shortBody{200, {{"Content-Length", "100"}}, "cut off"};
  RawAnswer unfinishedChunks{200, {{"Transfer-Encoding", "chunked"}}, "7\r\ncut off\r\n"};
  RawAnswer trickled = testing::pageAnswer("text/html", "slow");
  trickled.trickle = 2s;
  RawAnswer closing;
  closing.closeAtOnce = true;
  RawAnswer tooLarge = testing::utf8Page("<html>");
  tooLarge.fillerBytes = kMaxPageBytes;
  RawAnswer atTheLimit = testing::utf8Page("");
  atTheLimit.fillerBytes = kMaxPageBytes;
  const std::vector<std::tuple<std::string, RawAnswer, HttpState, std::size_t>> rows{
      {"short Content-Length", shortBody, HttpState::Failed, 0},
      {"chunks without the last one", unfinishedChunks, HttpState::Failed, 0},
      {"a byte every two seconds", trickled, HttpState::Failed, 0},
      {"never answers", testing::delayed(testing::utf8Page("late"), 30s), HttpState::Failed, 0},
      {"closes at once", closing, HttpState::Failed, 0},
      {"a page over the limit", tooLarge, HttpState::Failed, 0},
      {"a page at the limit", atTheLimit, HttpState::Finished, kMaxPageBytes},
      {"an error page", RawAnswer{500, {}, "server error page"}, HttpState::Finished, 17},
  };
  for (const auto &[name, answer, state, bodySize] : rows) {
    SCOPED_TRACE(name);
    sites.setLibraryPath("/page", answer);
    auto request = getLibrary("/page", nullptr, 1s);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->state, state);
    EXPECT_EQ(httpInfo(*request, HttpInfoKind::ErrorText).empty(), state == HttpState::Finished);
    if (state == HttpState::Failed) {
      EXPECT_TRUE(httpInfo(*request, HttpInfoKind::BodyText).empty());
    }
    EXPECT_EQ(request->body.size(), bodySize);
  }
}

// Only the web: no redirect to another protocol, and none from https back to plain http; a
// redirect from http to https is followed.
TEST_F(HttpTest, RedirectsStayOnTheWebAndOnTls) {
  const std::string host = sites.libraryHost();
  sites.setLibraryPath("/to-ftp", testing::redirectAnswer("ftp://" + host + "/pub/x.pdf"));
  sites.setLibraryPath("/to-https", testing::redirectAnswer(sites.portalBase() + "/basicsearch"));
  sites.setPortalSearch("x", {testing::redirectAnswer(sites.libraryBase() + "/standard/index.html")});

  EXPECT_EQ(getLibrary("/to-ftp")->state, HttpState::Failed);
  EXPECT_EQ(sites.connectionsAccepted("library"), 1);  // nothing connected for the ftp transfer
  EXPECT_EQ(getLibrary("/to-https")->state, HttpState::Finished);
  EXPECT_EQ(postPortal(u"text=x")->state, HttpState::Failed);
  EXPECT_EQ(testing::requestFields(sites, &testing::RecordedRequest::site),
            (std::vector<std::string>{"library", "library", "portal", "portal"}));
}

TEST_F(HttpTest, ACertificateForAnotherHostFails) {
  expectFailure(sendHttpRequest(HttpMethod::Post, u16(sites.wrongHostBase() + "/basicsearch"), u"text=x",
                                nullptr, http));
  EXPECT_EQ(sites.connectionsAccepted("wrong host"), 1);  // it connected, and refused the certificate
  EXPECT_TRUE(sites.requests().empty());
}

// Browsers follow 301, 302 and 303 after a POST with a GET; 307 repeats the POST.
TEST_F(HttpTest, RedirectedPostContinuesAsBrowsersDo) {
  const std::vector<std::tuple<int, std::string, std::string>> rows{
      {301, "GET", ""}, {302, "GET", ""}, {303, "GET", ""}, {307, "POST", "text=x"}};
  for (const auto &[status, method, body] : rows) {
    SCOPED_TRACE(status);
    sites.clearRequests();
    sites.setPortalSearch("x",
                          {RawAnswer{status, {{"Location", "/basicsearch"}}, ""}, testing::utf8Page("hit")});
    postPortal(u"text=x");
    const auto recorded = sites.requests();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].method, method);
    EXPECT_EQ(recorded[1].body, body);
  }
}

TEST_F(HttpTest, AUrlLibcurlRefusesFailsWithoutGoingOut) {
  expectFailure(getLibrary("/" + std::string(9'000'000, 'a')));
  EXPECT_TRUE(sites.requests().empty());
}

TEST(UrlEncode, KeepsTheUrlCharactersAndEncodesTheRest) {
  const std::vector<std::tuple<std::u16string, std::u16string>> rows{
      {u"GB/T 5490-2010", u"GB/T%205490-2010"},
      {u"+", u"%2B"},
      {u"%", u"%25"},
      {u"粮", u"%E7%B2%AE"},
      {u"", u""},
      {u"a=1&b=(x);c:~'*!@#$,?", u"a=1&b=(x);c:~'*!@#$,?"},
  };
  testing::expectEach(urlEncode, rows);
}

}  // namespace
}  // namespace hengdian
