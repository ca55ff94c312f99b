// Answers other than the plain ones: the wait before a busy site is asked again, and downloads
// answered by the file itself, by a redirect whose target carries a query, or by a busy site.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/code_page.h"
#include "support/test_helpers.h"
#include "web/download.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using testing::RawAnswer;
using DownloadKindsTest = testing::SitesTest;

TEST(BusyRetryWait, TakesTheLastAnswersRetryAfterWithinTheLimit) {
  const auto now = std::chrono::system_clock::from_time_t(1445412480);  // Wed, 21 Oct 2015 07:28:00 GMT
  const std::string busy = "HTTP/1.1 503 Busy\r\n";
  testing::expectEach(
      [&](const std::string &headers) { return busyRetryWait(busy + headers, {}, now).count(); },
      std::vector<std::tuple<std::string, long>>{
          {"Retry-After: 7\r\n\r\n", 7000},
          {"retry-after:120\r\n\r\n", 30000},
          {"Retry-After: 99999999999999999999\r\n\r\n", 30000},
          {"Retry-After: Wed, 21 Oct 2015 07:28:10 GMT\r\n\r\n", 10000},
          {"Retry-After: Wed, 21 Oct 2015 07:00:00 GMT\r\n\r\n", 0},
          {"Retry-After: soon\r\n\r\n", 5000},
          {"\r\n", 5000},
          {"Retry-After: 9\r\n\r\nHTTP/1.1 503 Busy\r\n\r\n", 5000},  // an earlier answer's
      });
}

TEST_F(DownloadKindsTest, TheTypeComesFromTheFileItselfOrTheTargetsPath) {
  const auto file = [](std::string disposition, std::string body) {
    if (disposition.empty()) return RawAnswer{200, {}, body};
    return RawAnswer{200, {{"Content-Disposition", "attachment; " + disposition}}, body};
  };
  const std::string pdf = "%PDF-1.7";
  sites.setLibraryPath("/files/a.PDF", testing::pageAnswer("application/pdf", pdf));
  // The answers of the download address; the file saved ("" none); how often it was asked.
  const std::vector<std::tuple<std::vector<RawAnswer>, std::string, std::size_t>> cases{
      {{file("filename*=UTF-8''GB%202760.PDF", pdf)}, "x.pdf", 1},
      {{file("", pdf)}, "x.pdf", 1},
      {{file("filename=a.pdf", "<html>login")}, "", 1},
      {{file("", "<html>login")}, "", 2},
      {{testing::redirectAnswer("/files/a.PDF?v=1#top")}, "x.pdf", 1},
      // A busy site is asked again at most twice, on each attempt of the download.
      {{RawAnswer{503, {{"Retry-After", "1"}}, ""}, RawAnswer{429, {}, ""}, file("", pdf)}, "x.pdf", 3},
      {{RawAnswer{503, {}, ""}}, "", 6},
  };
  for (const auto &[answers, saved, requests] : cases) {
    SCOPED_TRACE(saved + answers[0].body);
    testing::TempFolder folder("hengdian-download-kinds-");
    sites.clearRequests();
    sites.setDownload("1", answers);
    DownloadOptions options;
    options.retryPause = options.http.busyWait = options.http.busyWaitLimit = 1ms;
    const DownloadResult result = downloadFile(
        libraryUrl("/standard/down.php?auth=1"), {},
        [&](std::u16string_view type, std::u16string_view) {
          return (folder.path() / ("x." + toUtf8(type))).u16string();
        },
        options);
    EXPECT_EQ(result.path, saved.empty() ? u"" : (folder.path() / saved).u16string())
        << toUtf8(result.reason);
    const auto paths = testing::requestFields(sites, &testing::RecordedRequest::path);
    EXPECT_EQ(static_cast<std::size_t>(std::count(paths.begin(), paths.end(), "/standard/down.php")),
              requests);
  }
}

}  // namespace
}  // namespace hengdian
