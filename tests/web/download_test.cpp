#include "web/download.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "runtime/desktop_folder.h"
#include "support/stand_in_sites.h"
#include "web/web_test_support.h"

namespace hengdian {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::RawAnswer;
using testing::StandInSites;

TEST(ExtensionOfTarget, IsTheLowerCasedTextBehindTheLastDot) {
  EXPECT_EQ(extensionOfTarget(u"http://a.b/files/gb5009.PDF"), u"pdf");
  EXPECT_EQ(extensionOfTarget(u"/files/a.tar.gz"), u"gz");
  EXPECT_EQ(extensionOfTarget(u"/files/a.pdf?v=1"), u"pdf?v=1");  // a query stays part of it
  EXPECT_EQ(extensionOfTarget(u"/files/a.pdf\" x"), u"");         // a space after the dot
  EXPECT_EQ(extensionOfTarget(u"/files/a.pdf\"x"), u"pdf");       // cut at the quote
}

TEST(ExtensionOfTarget, IsEmptyWhenTheLastDotDoesNotStartAnExtension) {
  EXPECT_EQ(extensionOfTarget(u""), u"");
  EXPECT_EQ(extensionOfTarget(u"/files/noextension"), u"");
  EXPECT_EQ(extensionOfTarget(u"http://a.b/files/noextension"), u"");  // slash after the dot
  EXPECT_EQ(extensionOfTarget(u"/files/.hidden"), u"");
  EXPECT_EQ(extensionOfTarget(u"c:\\files\\.hidden"), u"");
  EXPECT_EQ(extensionOfTarget(u".pdf"), u"");
  EXPECT_EQ(extensionOfTarget(u"http/1.1 200 ok"), u"");  // the status line when nothing redirected
}

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device device;
    folder = fs::temp_directory_path() / ("hengdian-download-test-" + std::to_string(device()));
    fs::create_directories(folder);
    options.retryPause = std::chrono::milliseconds(30);
    options.serveEvents = [this] { ++servedEvents; };
  }
  void TearDown() override { fs::remove_all(folder); }

  std::u16string downloadUrl(const std::string &auth) const {
    return u16(sites.libraryBase() + "/standard/down.php?auth=" + auth);
  }
  std::u16string referer() const { return u16(sites.libraryBase() + "/standard/index.html"); }
  std::u16string pathIn(const std::u16string &name) const { return (folder / fs::path(name)).u16string(); }

  std::u16string download(const std::string &auth, const std::u16string &target) {
    return downloadFile(headerMap, downloadUrl(auth), target, referer(), u"", options);
  }

  /// Serves `body` at `path` and lets download `auth` redirect there.
  void serveFile(const std::string &auth, const std::string &path, const std::string &body) {
    sites.setLibraryPath(path, testing::pageAnswer("application/octet-stream", body));
    sites.setDownload(auth, {testing::redirectAnswer(path)});
  }

  static std::string contentOf(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }
  static void write(const fs::path &path, const std::string &content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  std::size_t entriesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }
  std::size_t downloadRequests() const {
    std::size_t count = 0;
    for (const auto &request : sites.requests())
      count += request.path == "/standard/down.php";
    return count;
  }

  StandInSites sites;
  fs::path folder;
  HttpHeaders headerMap;
  DownloadOptions options;
  int servedEvents = 0;
};

TEST_F(DownloadTest, SavesTheBodyUnderTheRedirectsExtensionWithBrowserHeaders) {
  const std::string body = "%PDF-1.4\0binary\xFF"s;
  serveFile("1", "/files/GB5009.PDF", body);
  headerMap[u"X-Left-Over"] = u"from an earlier run";
  write(folder / "GB 5009 食品.pdf", "an older file that is longer than the new one");

  const std::u16string result = download("1", pathIn(u"GB 5009 食品.[扩展名]"));

  EXPECT_EQ(result, pathIn(u"GB 5009 食品.pdf"));
  EXPECT_FALSE(isDownloadFailure(result));
  EXPECT_EQ(contentOf(fs::path(result)), body);
  EXPECT_EQ(entriesInFolder(), 1u);  // no temporary file left behind
  const auto recorded = sites.requests();
  ASSERT_FALSE(recorded.empty());
  EXPECT_EQ(recorded[0].path, "/standard/down.php");
  EXPECT_EQ(recorded[0].query, "auth=1");
  EXPECT_EQ(recorded[0].header("User-Agent"), toUtf8(kDownloadUserAgent));
  EXPECT_EQ(recorded[0].header("Referer"), sites.libraryBase() + "/standard/index.html");
  EXPECT_FALSE(recorded[0].hasHeader("X-Left-Over"));
  EXPECT_EQ(headerMap.size(), 2u);
  EXPECT_EQ(servedEvents, 0);
}

TEST_F(DownloadTest, PlaceholderIsReplacedInTheWholePathAndAPathWithoutItIsKept) {
  serveFile("1", "/files/a.doc", "document");
  fs::create_directories(folder / "doc");
  EXPECT_EQ(download("1", pathIn(u"[扩展名]/a.[扩展名]")), pathIn(u"doc/a.doc"));
  EXPECT_EQ(contentOf(folder / "doc" / "a.doc"), "document");

  EXPECT_EQ(download("1", pathIn(u"plain name")), pathIn(u"plain name"));
  EXPECT_EQ(contentOf(folder / "plain name"), "document");
}

// The type comes from the header text alone, the saved body is the final answer whatever its status.
TEST_F(DownloadTest, ContentLocationAfterTheLocationNamesTheType) {
  sites.setLibraryPath("/files/a.pdf", RawAnswer{404, {}, "not found page"});
  sites.setDownload(
      "1", {RawAnswer{302, {{"Location", "/files/a.pdf"}, {"Content-Location", "/files/a.doc"}}, ""}});
  EXPECT_EQ(download("1", pathIn(u"x.[扩展名]")), pathIn(u"x.doc"));
  EXPECT_EQ(contentOf(folder / "x.doc"), "not found page");
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
  EXPECT_EQ(contentOf(folder / "b.txt"), "second time");
}

TEST_F(DownloadTest, UnreachableServerEndsAsAFailedDownload) {
  options.retryPause = std::chrono::milliseconds(0);
  const std::string base = "http://127.0.0.1:" + std::to_string(testing::closedLocalPort());
  EXPECT_EQ(downloadFile(headerMap, u16(base + "/standard/down.php?auth=1"), pathIn(u"x.[扩展名]"), referer(),
                         u"", options),
            kFileDownloadFailed);
  EXPECT_EQ(downloadFile(headerMap, u"", pathIn(u"x.[扩展名]"), referer(), u"", options),
            kServerConnectFailed);
}

TEST_F(DownloadTest, AFailedBodyLeavesAnExistingFileUntouched) {
  write(folder / "x.pdf", "old");
  // The redirect names a pdf on a server that is gone, so the body never arrives.
  const std::string gone = "http://127.0.0.1:" + std::to_string(testing::closedLocalPort()) + "/a.pdf";
  sites.setDownload("1", {testing::redirectAnswer(gone)});
  EXPECT_EQ(download("1", pathIn(u"x.[扩展名]")), kFileDownloadFailed);
  EXPECT_EQ(contentOf(folder / "x.pdf"), "old");
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
  const char *oldHome = std::getenv("HOME");
  const char *oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string savedHome = oldHome != nullptr ? oldHome : "";
  const std::string savedConfig = oldConfig != nullptr ? oldConfig : "";
  setenv("HOME", folder.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  fs::create_directories(folder / "Desktop");
  serveFile("1", "/files/Report-2010.PDF", "report");

  const std::u16string result = download("1", u"");
  const std::u16string desktop = desktopFolder();
  if (oldHome != nullptr) setenv("HOME", savedHome.c_str(), 1);
  if (oldConfig != nullptr) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);

  EXPECT_EQ(desktop, (folder / "Desktop" / "").u16string());
  EXPECT_EQ(result, desktop + u"report-2010.pdf");
  EXPECT_EQ(contentOf(folder / "Desktop" / "report-2010.pdf"), "report");
}
#endif

}  // namespace
}  // namespace hengdian
