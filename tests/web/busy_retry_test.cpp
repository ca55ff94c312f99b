// A site that answers 503 or 429 is asked again after the wait it names, at most twice.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/stand_in_sites.h"
#include "support/test_helpers.h"
#include "web/http.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using testing::RawAnswer;

TEST(BusyRetryWait, TakesTheLastAnswersRetryAfterWithinTheLimit) {
  HttpSettings settings;  // 5 s without a Retry-After, at most 30 s
  // Wed, 21 Oct 2015 07:28:00 GMT
  const auto now = std::chrono::system_clock::from_time_t(1445412480);
  testing::expectEach(
      [&](const std::string &headers) { return busyRetryWait(headers, settings, now).count(); },
      std::vector<std::tuple<std::string, long>>{
          {"HTTP/1.1 503 Busy\r\nRetry-After: 7\r\n\r\n", 7000},
          {"HTTP/1.1 429 Slow\r\nretry-after:120\r\n\r\n", 30000},
          {"HTTP/1.1 503 Busy\r\nRetry-After: 99999999999999999999\r\n\r\n", 30000},
          {"HTTP/1.1 503 Busy\r\nRetry-After: Wed, 21 Oct 2015 07:28:10 GMT\r\n\r\n", 10000},
          {"HTTP/1.1 503 Busy\r\nRetry-After: Wed, 21 Oct 2015 07:00:00 GMT\r\n\r\n", 0},
          {"HTTP/1.1 503 Busy\r\nRetry-After: soon\r\n\r\n", 5000},
          {"HTTP/1.1 503 Busy\r\n\r\n", 5000},
          {"HTTP/1.1 302 Found\r\nRetry-After: 9\r\n\r\nHTTP/1.1 503 Busy\r\n\r\n", 5000},
      });
}

class BusyRetryTest : public testing::SitesTest {};

TEST_F(BusyRetryTest, ABusySiteIsAskedAgainAtMostTwiceAndEveryExchangeIsKept) {
  const RawAnswer busy{503, {{"Retry-After", "1"}}, "busy"};
  const RawAnswer tooMany{429, {}, "slow down"};
  const RawAnswer page = testing::utf8Page("page");
  struct Case {
    const char *name;
    std::vector<RawAnswer> answers;
    int retries;
    std::int32_t status;
    std::size_t requests;
  };
  const Case cases[] = {
      {"busy-once", {busy, page}, 2, 200, 2},
      {"busy-twice", {busy, tooMany, page}, 2, 200, 3},
      {"busy-thrice", {tooMany, busy, tooMany, page}, 2, 429, 3},
      {"no-retries", {busy, page}, 0, 503, 1},
      {"not-busy", {RawAnswer{500, {}, "error"}, page}, 2, 500, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    sites.clearRequests();
    sites.setLibrarySearch(c.name, c.answers);
    HttpSettings settings = http;
    settings.busyRetries = c.retries;
    settings.busyWait = 1ms;
    settings.busyWaitLimit = 1ms;
    std::vector<std::int32_t> exchanged;
    settings.exchangeSink = [&exchanged](const HttpExchange &exchange) {
      exchanged.push_back(exchange.statusCode);
    };
    auto request = sendHttpRequest(
        HttpMethod::Get, libraryUrl("/standard/search.php?corpstandard=2&fields=0&kw=" + std::string(c.name)),
        u"", nullptr, settings);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->statusCode, c.status);
    EXPECT_EQ(sites.requests().size(), c.requests);
    EXPECT_EQ(exchanged.size(), c.requests);
    EXPECT_EQ(exchanged.back(), c.status);
  }
}

}  // namespace
}  // namespace hengdian
