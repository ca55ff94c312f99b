#include "web/download.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/desktop_folder.h"
#include "support/stand_in_sites.h"
#ifndef _WIN32
#include "support/scoped_environment.h"
#endif
#include "support/test_helpers.h"

namespace hengdian {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using testing::RawAnswer;
using testing::readFileBytes;
using testing::writeFileBytes;

TEST(ExtensionOfTarget, IsTheLowerCasedTextBehindALastDotThatStartsAnExtension) {
  const std::vector<std::tuple<std::u16string, std::u16string>> rows{
      {u"http://a.b/files/gb5009.PDF", u"pdf"},
      {u"/files/a.tar.gz", u"gz"},
      {u"/files/a.pdf?v=1", u"pdf?v=1"},  // a query stays part of it
      {u"/files/a.pdf\" x", u""},         // a space after the dot
      {u"/files/a.pdf\"x", u"pdf"},       // cut at the quote
      {u"", u""},
      {u"/files/noextension", u""},
      {u"http://a.b/files/noextension", u""},  // slash after the dot
      {u"/files/.hidden", u""},
      {u"c:\\files\\.hidden", u""},
      {u".pdf", u""},
      {u"http/1.1 200 ok", u""},  // the status line when nothing redirected
  };
  testing::expectEach(extensionOfTarget, rows);
}

class DownloadTest : public testing::SitesTest {
 protected:
  DownloadTest() {
    options.retryPause = std::chrono::milliseconds(30);
    options.serveEvents = [this] { ++servedEvents; };
  }

  std::u16string referer() const { return libraryUrl("/standard/index.html"); }
  std::u16string pathIn(const std::u16string &name) const { return (folder / fs::path(name)).u16string(); }

  std::u16string download(const std::string &auth, const std::u16string &target) {
    return downloadFile(headerMap, libraryUrl("/standard/down.php?auth=" + auth), target, referer(), u"",
                        options);
  }

  /// Serves `body` at `path` and lets download `auth` redirect there.
  void serveFile(const std::string &auth, const std::string &path, const std::string &body) {
    sites.setLibraryPath(path, testing::pageAnswer("application/octet-stream", body));
    sites.setDownload(auth, {testing::redirectAnswer(path)});
  }

  std::size_t entriesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }
  std::size_t downloadRequests() const {
    const auto paths = testing::requestFields(sites, &testing::RecordedRequest::path);
    return static_cast<std::size_t>(std::count(paths.begin(), paths.end(), "/standard/down.php"));
  }

  testing::TempFolder temp{"hengdian-download-test-"};
  const fs::path folder = temp.path();
  HttpHeaders headerMap;
  DownloadOptions options;
  int servedEvents = 0;
};

TEST_F(DownloadTest, SavesTheBodyUnderTheRedirectsExtensionWithBrowserHeaders) {
  const std::string body = "%PDF-1.4\0binary\xFF"s;
  serveFile("1", "/files/GB5009.PDF", body);
  headerMap[u"X-Left-Over"] = u"from an earlier run";
  writeFileBytes(folder / u8"GB 5009 食品.pdf", "an older file that is longer than the new one");

  const std::u16string result = download("1", pathIn(u"GB 5009 食品.[扩展名]"));

  EXPECT_EQ(result, pathIn(u"GB 5009 食品.pdf"));
  EXPECT_FALSE(isDownloadFailure(result));
  EXPECT_EQ(readFileBytes(fs::path(result)), body);
  EXPECT_EQ(entriesInFolder(), 1u);  // no temporary file left behind
  const auto recorded = sites.requests();
  ASSERT_FALSE(recorded.empty());
  EXPECT_EQ(recorded[0].path, "/standard/down.php");
  EXPECT_EQ(recorded[0].query, "auth=1");
  EXPECT_EQ(recorded[0].header("User-Agent"), toUtf8(kDownloadUserAgent));
  EXPECT_EQ(recorded[0].header("Referer"), sites.libraryBase() + "/standard/index.html");
  EXPECT_FALSE(recorded[0].hasHeader("X-Left-Over"));
  EXPECT_EQ(headerMap.size(), 2u);
}

TEST_F(DownloadTest, PlaceholderIsReplacedInTheWholePathAndAPathWithoutItIsKept) {
  serveFile("1", "/files/a.doc", "document");
  fs::create_directories(folder / "doc");
  EXPECT_EQ(download("1", pathIn(u"[扩展名]/a.[扩展名]")), pathIn(u"doc/a.doc"));
  EXPECT_EQ(readFileBytes(folder / "doc" / "a.doc"), "document");

  EXPECT_EQ(download("1", pathIn(u"plain name")), pathIn(u"plain name"));
  EXPECT_EQ(readFileBytes(folder / "plain name"), "document");
}

// The type comes from the header text alone.
TEST_F(DownloadTest, ContentLocationAfterTheLocationNamesTheType) {
  sites.setLibraryPath("/files/a.pdf", testing::pageAnswer("text/html", "the file"));
  sites.setDownload(
      "1", {RawAnswer{302, {{"Location", "/files/a.pdf"}, {"Content-Location", "/files/a.doc"}}, ""}});
  EXPECT_EQ(download("1", pathIn(u"x.[扩展名]")), pathIn(u"x.doc"));
  EXPECT_EQ(readFileBytes(folder / "x.doc"), "the file");
}

// Only a complete body under a success status is saved: an error page or a broken transfer fails
// at once, without a retry, and the older file stays as it was.
TEST_F(DownloadTest, ErrorPagesAndBrokenTransfersLeaveTheOlderFile) {
  options.limits.lowSpeedTime = 1s;
  RawAnswer trickled = testing::pageAnswer("application/pdf", "slow");
  trickled.trickle = 2s;
  RawAnswer closing;
  closing.closeAtOnce = true;
  const std::vector<std::tuple<std::string, RawAnswer>> rows{
      {"not found", RawAnswer{404, {}, "not found page"}},
      {"server error", RawAnswer{500, {}, "server error page"}},
      {"empty error page", RawAnswer{503, {}, ""}},
      {"short Content-Length", RawAnswer{200, {{"Content-Length", "100"}}, "%PDF cut"}},
      {"chunks without the last one", RawAnswer{200, {{"Transfer-Encoding", "chunked"}}, "4\r\n%PDF\r\n"}},
      {"a byte every two seconds, under 1 KiB a second", trickled},
      {"closes at once", closing},
  };
  writeFileBytes(folder / "x.pdf", "old");
  for (const auto &[name, answer] : rows) {
    SCOPED_TRACE(name);
    sites.clearRequests();
    sites.setLibraryPath("/files/a.pdf", answer);
    sites.setDownload("1", {testing::redirectAnswer("/files/a.pdf")});
    EXPECT_EQ(download("1", pathIn(u"x.[扩展名]")), kFileDownloadFailed);
    EXPECT_EQ(readFileBytes(folder / "x.pdf"), "old");
    EXPECT_EQ(entriesInFolder(), 1u);
    EXPECT_EQ(downloadRequests(), 1u);
  }
}

TEST_F(DownloadTest, ABodyLargerThanAPageStreamsIntoTheFile) {
  RawAnswer large = testing::pageAnswer("application/pdf", "%PDF");
  large.fillerBytes = kMaxPageBytes;
  sites.setLibraryPath("/files/large.pdf", large);
  sites.setDownload("1", {testing::redirectAnswer("/files/large.pdf")});
  EXPECT_EQ(download("1", pathIn(u"large.[扩展名]")), pathIn(u"large.pdf"));
  EXPECT_EQ(fs::file_size(folder / "large.pdf"), kMaxPageBytes + 4);
}

// The window keeps painting while a transfer runs, and serving is never entered twice: a download
// started from the served events runs without serving events itself.
TEST_F(DownloadTest, EventsAreServedDuringTheTransferButNeverReentrantly) {
  RawAnswer slow = testing::pageAnswer("", "slow body");
  slow.trickle = 5ms;
  sites.setLibraryPath("/files/slow.pdf", slow);
  sites.setDownload("1", {testing::redirectAnswer("/files/slow.pdf")});
  int depth = 0;
  int deepest = 0;
  std::u16string inner;
  options.serveEvents = [&] {
    ++servedEvents;
    deepest = std::max(deepest, ++depth);
    HttpHeaders innerHeaders;
    if (inner.empty())
      inner = downloadFile(innerHeaders, libraryUrl("/standard/down.php?auth=1"), pathIn(u"inner.[扩展名]"),
                           referer(), u"", options);
    --depth;
  };
  EXPECT_EQ(download("1", pathIn(u"outer.[扩展名]")), pathIn(u"outer.pdf"));
  EXPECT_EQ(inner, pathIn(u"inner.pdf"));
  EXPECT_EQ(readFileBytes(folder / "outer.pdf"), "slow body");
  EXPECT_EQ(readFileBytes(folder / "inner.pdf"), "slow body");
  EXPECT_GE(servedEvents, 2);
  EXPECT_EQ(deepest, 1);
}

TEST_F(DownloadTest, WithoutAFileTypeItRetriesOnceAfterThePause) {
  sites.setDownload("1", {testing::pageAnswer("text/html", "busy")});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(download("1", pathIn(u"x.[扩展名]")), kFileDownloadFailed);
  EXPECT_GT(std::chrono::steady_clock::now() - start, options.retryPause);
  EXPECT_EQ(downloadRequests(), 2u);
  EXPECT_GE(servedEvents, 1);
  EXPECT_EQ(entriesInFolder(), 0u);

  // The second answer names the file: the retry saves it.
  sites.setLibraryPath("/files/b.txt", testing::pageAnswer("text/plain", "second time"));
  sites.setDownload("2", {testing::pageAnswer("text/html", "busy"), testing::redirectAnswer("/files/b.txt")});
  EXPECT_EQ(download("2", pathIn(u"b.[扩展名]")), pathIn(u"b.txt"));
  EXPECT_EQ(readFileBytes(folder / "b.txt"), "second time");
}

TEST_F(DownloadTest, UnreachableServerEndsAsAFailedDownload) {
  options.retryPause = std::chrono::milliseconds(0);
  const std::string base = testing::unreachableBase();
  EXPECT_EQ(downloadFile(headerMap, u16(base + "/standard/down.php?auth=1"), pathIn(u"x.[扩展名]"), referer(),
                         u"", options),
            kFileDownloadFailed);
  EXPECT_EQ(downloadFile(headerMap, u"", pathIn(u"x.[扩展名]"), referer(), u"", options),
            kServerConnectFailed);
}

TEST_F(DownloadTest, AFailedBodyLeavesAnExistingFileUntouched) {
  writeFileBytes(folder / "x.pdf", "old");
  // The redirect names a pdf on a server that is gone, so the body never arrives.
  const std::string gone = testing::unreachableBase() + "/a.pdf";
  sites.setDownload("1", {testing::redirectAnswer(gone)});
  EXPECT_EQ(download("1", pathIn(u"x.[扩展名]")), kFileDownloadFailed);
  EXPECT_EQ(readFileBytes(folder / "x.pdf"), "old");
  EXPECT_EQ(downloadRequests(), 1u);  // the type was known, so there was no retry
}

TEST_F(DownloadTest, AnUnwritableTargetFailsAndChangesNothing) {
  serveFile("1", "/files/a.pdf", "new");
  fs::create_directories(folder / "x.pdf");
  EXPECT_EQ(download("1", pathIn(u"x.[扩展名]")), kFileCreateFailed);
  EXPECT_TRUE(fs::is_directory(folder / "x.pdf"));
  EXPECT_EQ(entriesInFolder(), 1u);  // no temporary file left behind

  EXPECT_EQ(download("1", pathIn(u"missing folder/x.[扩展名]")), kFileCreateFailed);
}

#ifndef _WIN32
TEST_F(DownloadTest, EmptyTargetSavesOnTheDesktopUnderTheTargetsOwnName) {
  const testing::ScopedVariable home("HOME");
  const testing::ScopedVariable configHome("XDG_CONFIG_HOME");
  home.set(folder.string());
  configHome.unset();
  fs::create_directories(folder / "Desktop");
  serveFile("1", "/files/Report-2010.PDF", "report");

  const std::u16string result = download("1", u"");
  const std::u16string desktop = desktopFolder();

  EXPECT_EQ(desktop, (folder / "Desktop" / "").u16string());
  EXPECT_EQ(result, desktop + u"report-2010.pdf");
  EXPECT_EQ(readFileBytes(folder / "Desktop" / "report-2010.pdf"), "report");
}
#endif

}  // namespace
}  // namespace hengdian
