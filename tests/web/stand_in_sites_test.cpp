// The stand-in sites themselves: the web tests rely on them sending exactly what a test gave and
// recording exactly what came in, so both are checked on the wire here.

#include "support/stand_in_sites.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "lookup/site.h"
#include "runtime/code_page.h"
#include "support/test_helpers.h"

namespace hengdian::testing {
namespace {

using namespace std::string_literals;

int portOf(const std::string &host) {
  return std::stoi(host.substr(host.rfind(':') + 1));
}

/// Sends `request` as it is to the library site and returns every byte until the site closes
/// (the request asks it to with "Connection: close").
std::string exchangeRaw(const StandInSites &sites, const std::string &request) {
  httplib::Error error = httplib::Error::Success;
  socket_t sock = httplib::detail::create_client_socket("127.0.0.1", "", portOf(sites.libraryHost()), AF_INET,
                                                        false, nullptr, 5, 0, 5, 0, 5, 0, "", error);
  if (sock == INVALID_SOCKET) return "no connection";
  httplib::detail::send_socket(sock, request.data(), request.size(), 0);
  std::string answer;
  char buffer[4096];
  ssize_t count;
  while ((count = httplib::detail::read_socket(sock, buffer, sizeof buffer, 0)) > 0)
    answer.append(buffer, count);
  httplib::detail::close_socket(sock);
  return answer;
}

/// Posts `body` as a form to the portal site's /basicsearch on `host`, trusting the test CA or not.
httplib::Result postToPortal(const StandInSites &sites, const std::string &host, const std::string &body,
                             bool trustTestCa = true) {
  httplib::SSLClient client(host, portOf(sites.portalHost()));
  // A minimal system may have no /etc/hosts; the name is still what the certificate is checked
  // against, only the address is given.
  client.set_hostname_addr_map({{"localhost", "127.0.0.1"}});
  if (trustTestCa) client.set_ca_cert_path(sites.caFile());
  client.enable_server_certificate_verification(true);
  return client.Post("/basicsearch", body, "application/x-www-form-urlencoded");
}

TEST(StandInSitesTest, AnswersGoOutByteForByteInTheGivenOrder) {
  StandInSites sites;
  RawAnswer trap{302, {{"Location", "files/a.PDF"}, {"Content-Location", "/x/page.html"}}, "a\0b"s};
  sites.setLibraryPath("/trap", trap);
  EXPECT_EQ(exchangeRaw(sites, "GET /trap HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
            "HTTP/1.1 302 Found\r\nLocation: files/a.PDF\r\nContent-Location: /x/page.html\r\n"
            "Content-Length: 3\r\nConnection: close\r\n\r\na\0b"s);

  sites.setLibraryPath("/bare", pageAnswer("", "no type"));
  EXPECT_EQ(exchangeRaw(
                sites, "GET /bare HTTP/1.1\r\nHost: x\r\nAccept-Encoding: gzip\r\nConnection: close\r\n\r\n"),
            "HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\nno type");
}

TEST(StandInSitesTest, ListenOnTheGivenPorts) {
  const auto [libraryPort, portalPort] = [] {
    StandInSites free;
    return std::pair(portOf(free.libraryHost()), portOf(free.portalHost()));
  }();
  StandInSites sites(libraryPort, portalPort);
  EXPECT_EQ(sites.libraryHost(), "127.0.0.1:" + std::to_string(libraryPort));
  EXPECT_EQ(sites.portalHost(), "localhost:" + std::to_string(portalPort));
  sites.setLibraryPath("/here", pageAnswer("text/plain", "here"));
  EXPECT_NE(
      exchangeRaw(sites, "GET /here HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n").find("\r\n\r\nhere"),
      std::string::npos);
  ASSERT_TRUE(postToPortal(sites, "localhost", "x=1"));
}

TEST(StandInSitesTest, RoutesAdvanceThroughTheirAnswerLists) {
  StandInSites sites;
  sites.setLibrarySearch("GB/T 5490-2010",
                         {pageAnswer("text/html", "first"), pageAnswer("text/html", "then")});
  sites.setDownload("42", {redirectAnswer("/files/a.pdf")});
  sites.setLibraryPath("/files/a.pdf", pageAnswer("application/pdf", "%PDF"));
  httplib::Client client("127.0.0.1", portOf(sites.libraryHost()));

  const std::string search = "/standard/search.php?corpstandard=2&fields=0&kw=";
  EXPECT_EQ(client.Get(search + "GB/T%205490-2010")->body, "first");
  EXPECT_EQ(client.Get(search + "GB/T%205490-2010")->body, "then");
  EXPECT_EQ(client.Get(search + "GB/T%205490-2010")->body, "then");
  auto unknown = client.Get(search + "GB%2FT%201-2000");
  EXPECT_EQ(unknown->status, 200);
  EXPECT_EQ(unknown->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(unknown->body.find("<span class=\"bzmc\"><A title=\""), std::string::npos);
  EXPECT_EQ(client.Get("/standard/search.php?fields=0&kw=GB/T%205490-2010")->status, 404);

  EXPECT_EQ(client.Get("/standard/down.php?auth=42")->get_header_value("Location"), "/files/a.pdf");
  EXPECT_EQ(client.Get("/standard/down.php?auth=43")->status, 404);
  client.set_follow_location(true);
  EXPECT_EQ(client.Get("/standard/down.php?auth=42")->body, "%PDF");
  EXPECT_EQ(client.Get("/standard/index.html")->status, 200);
  EXPECT_EQ(client.Get("/elsewhere")->status, 404);
}

TEST(StandInSitesTest, RecordsRequestsAsSent) {
  StandInSites sites;
  exchangeRaw(sites,
              "GET /standard/search.php?corpstandard=2&fields=0&kw=a%20b HTTP/1.1\r\nHost: x\r\n"
              "Referer:\r\nX-Note:  50%25 off \r\nConnection: close\r\n\r\n");
  sites.setPortalSearch("GB/T 5490-2010", {pageAnswer("text/html", "hit")});
  auto answer = postToPortal(sites, "localhost", "text=GB%2FT+5490-2010&search=a100");
  ASSERT_TRUE(answer) << httplib::to_string(answer.error());
  EXPECT_EQ(answer->body, "hit");

  const auto recorded = sites.requests();
  ASSERT_EQ(recorded.size(), 2u);
  EXPECT_EQ(requestFields(sites, &RecordedRequest::site), (std::vector<std::string>{"library", "portal"}));
  EXPECT_EQ(requestFields(sites, &RecordedRequest::method), (std::vector<std::string>{"GET", "POST"}));
  EXPECT_EQ(recorded[0].path, "/standard/search.php");
  EXPECT_EQ(recorded[0].query, "corpstandard=2&fields=0&kw=a%20b");
  EXPECT_TRUE(recorded[0].hasHeader("referer"));
  EXPECT_EQ(recorded[0].header("REFERER"), "");
  EXPECT_EQ(recorded[0].header("X-Note"), "50%25 off");
  EXPECT_FALSE(recorded[0].hasHeader("REMOTE_ADDR"));
  EXPECT_EQ(recorded[1].body, "text=GB%2FT+5490-2010&search=a100");
  EXPECT_EQ(recorded[1].header("Content-Type"), "application/x-www-form-urlencoded");
  sites.clearRequests();
  EXPECT_TRUE(sites.requests().empty());
}

TEST(StandInSitesTest, PortalCertificateIsTrustedOnlyThroughTheTestCa) {
  StandInSites sites;
  // cpp-httplib matches a certificate's IP address entries only off MinGW; there the name alone is checked.
#ifdef __MINGW32__
  const std::vector<std::string> hosts{"localhost"};
#else
  const std::vector<std::string> hosts{"localhost", "127.0.0.1"};
#endif
  for (const std::string &host : hosts) {
    auto answer = postToPortal(sites, host, "text=nothing&search=a100");
    ASSERT_TRUE(answer) << host << ": " << httplib::to_string(answer.error());
    EXPECT_EQ(answer->body.find("<div class=\"search-list\">"), std::string::npos);
  }
  EXPECT_FALSE(postToPortal(sites, "localhost", "text=x", false));
}

TEST(StandInSitesTest, HeldAnswerEndsWhenTheSitesShutDown) {
  std::thread client;
  {
    StandInSites sites;
    sites.setLibraryPath("/slow", delayed(pageAnswer("text/plain", "late"), std::chrono::hours(1)));
    client = std::thread(
        [port = portOf(sites.libraryHost())] { httplib::Client("127.0.0.1", port).Get("/slow"); });
    while (sites.requests().empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }  // must not wait for the hour
  client.join();
}

TEST(StandInSitesTest, ResultPagesParseToExactlyTheGivenFields) {
  const auto line = [](Site site, const std::string &page, std::u16string_view code,
                       std::u16string_view name) {
    return toUtf8(parseResultPage(site, u16(page), code, name, u"p").line);
  };
  const std::string library =
      libraryResultPage({{"GB/T 5490-2010 粮油检验 一般规则", "xxyx", "2011-05-01", "查看", "/s/1.html"},
                         {"GB 2-1990 其他", "code", "", "c", "h"}});
  EXPECT_EQ(line(Site::Library, library, u"GB/T 5490-2010", u"粮油检验 一般规则"),
            "【同号同名■现行有效■GB/T 5490-2010 粮油检验 一般规则■2011-05-01■查看■/s/1.html】"
            "【异号异名■未知■GB 2-1990 其他■■c■h】");
  const std::string portal =
      portalResultPage({{"现行", "GB/T 5490-2010 粮油检验 一般规则", "2010-09-26", "2011-05-01", "/d?1"},
                        {"废止", "GB 2", "", "d", "h"}});
  EXPECT_EQ(line(Site::Portal, portal, u"GB/T 5490-2010", u"粮油检验 一般规则"),
            "【同号同名■现行■GB/T 5490-2010 粮油检验 一般规则■2010-09-26■2011-05-01■https://p/d?1】"
            "【异号异名■废止■GB 2■■d■https://ph】");
  EXPECT_EQ(line(Site::Library, libraryResultPage({}), u"GB 2", u""), "【★未查询到该标准!】");
  EXPECT_EQ(line(Site::Portal, portalResultPage({}), u"GB 2", u""), "【★未查询到该标准!】");
}

}  // namespace
}  // namespace hengdian::testing
