#include "web/download.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "support/stand_in_sites.h"
#include "support/test_helpers.h"

namespace hengdian {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using testing::RawAnswer;
using enum DownloadStatus;
using testing::readFileBytes;
using testing::writeFileBytes;

class DownloadTest : public testing::SitesTest {
 protected:
  DownloadTest() {
    options.retryPause = std::chrono::milliseconds(30);
    options.serveEvents = [this] { ++servedEvents; };
  }

  std::u16string pathIn(const std::u16string &name) const { return (folder / fs::path(name)).u16string(); }

  /// Downloads `auth` into the folder as `stem`, a dot and the extension the redirect names.
  DownloadResult download(const std::string &auth, const std::u16string &stem) {
    return downloadFile(
        libraryUrl("/standard/down.php?auth=" + auth), headers,
        [this, stem](std::u16string_view extension, std::u16string_view target) {
          redirectTarget = target;
          return pathIn(stem + u"." + std::u16string(extension));
        },
        options);
  }

  /// Serves `answer` at `path` and lets download "1" redirect there.
  void serveFile(const std::string &path, const RawAnswer &answer) {
    sites.setLibraryPath(path, answer);
    sites.setDownload("1", {testing::redirectAnswer(path)});
  }

  /// Removes everything in the folder.
  void emptyFolder() const {
    fs::remove_all(folder);
    fs::create_directories(folder);
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
  const HttpHeaders headers{{u"Referer", libraryUrl("/standard/index.html")}};
  DownloadOptions options;
  int servedEvents = 0;
  std::u16string redirectTarget;  // as the last download saw it
};

TEST_F(DownloadTest, SavesTheBodyUnderTheRedirectsExtensionAsABrowser) {
  const std::string body = "%PDF-1.4\0binary\xFF"s;
  serveFile("/files/GB5009.PDF", testing::pageAnswer("application/octet-stream", body));
  writeFileBytes(folder / u8"GB 5009 食品.pdf", "an older file that is longer than the new one");

  const DownloadResult result = download("1", u"GB 5009 食品");

  EXPECT_EQ(result.status, Saved);
  EXPECT_EQ(result.path, pathIn(u"GB 5009 食品.pdf"));
  EXPECT_EQ(result.reason, u"");
  EXPECT_EQ(readFileBytes(fs::path(result.path)), body);
  EXPECT_EQ(entriesInFolder(), 1u);  // no temporary file left behind
  const auto recorded = sites.requests();
  ASSERT_FALSE(recorded.empty());
  EXPECT_EQ(recorded[0].path, "/standard/down.php");
  EXPECT_EQ(recorded[0].query, "auth=1");
  EXPECT_EQ(recorded[0].header("User-Agent"), toUtf8(kDownloadHttpSettings.userAgent));
  EXPECT_EQ(recorded[0].header("Referer"), sites.libraryBase() + "/standard/index.html");
}

// The type comes from the header text alone.
TEST_F(DownloadTest, ContentLocationAfterTheLocationNamesTheType) {
  sites.setLibraryPath("/files/a.pdf", testing::pageAnswer("text/html", "the file"));
  sites.setDownload(
      "1", {RawAnswer{302, {{"Location", "/files/a.pdf"}, {"Content-Location", "/files/a.txt"}}, ""}});
  EXPECT_EQ(download("1", u"x").path, pathIn(u"x.txt"));
  EXPECT_EQ(redirectTarget, u"/files/a.txt");
  EXPECT_EQ(readFileBytes(folder / "x.txt"), "the file");
}

// Only a whole file of the promised type under status 200 is saved: anything else fails at once,
// without a retry, and leaves the older file as it was and nothing beside it.
TEST_F(DownloadTest, OnlyAWholeFileOfThePromisedTypeReplacesTheOlderFile) {
  options.http.lowSpeedTime = 1s;
  RawAnswer slow = testing::pageAnswer("application/pdf", "%PDF-" + std::string(3000, 'x'));
  slow.trickle = 5ms;  // 200 bytes a second
  RawAnswer closing;
  closing.closeAtOnce = true;
  const auto page = testing::pageAnswer;
  // {case, extension the redirect names, final answer, saved}
  const std::vector<std::tuple<std::string, std::string, RawAnswer, bool>> rows{
      {"pdf", "pdf", page("application/pdf", "%PDF-1.7 body"), true},
      {"caj", "caj", page("application/octet-stream", "CAJ binary"), true},
      {"login page for a pdf", "pdf", page("text/html; charset=utf-8", "<html>请登录后下载标准</html>"),
       false},
      {"partial content", "pdf", RawAnswer{206, {}, "%PDF-1.7 part"}, false},
      {"empty", "pdf", page("application/pdf", ""), false},
      {"caj announced as a page", "caj", page("text/html", "CAJ binary"), false},
      {"not found", "pdf", RawAnswer{404, {}, "%PDF- not found page"}, false},
      {"server error", "pdf", RawAnswer{500, {}, "server error page"}, false},
      {"empty error page", "pdf", RawAnswer{502, {}, ""}, false},
      {"short Content-Length", "pdf", RawAnswer{200, {{"Content-Length", "100"}}, "%PDF- cut"}, false},
      {"chunks without the last one", "pdf",
       RawAnswer{200, {{"Transfer-Encoding", "chunked"}}, "5\r\n%PDF-\r\n"}, false},
      {"under 1 KiB a second", "pdf", slow, false},
      {"closes at once", "pdf", closing, false},
  };
  for (const auto &[name, extension, answer, saved] : rows) {
    SCOPED_TRACE(name);
    const fs::path file = folder / ("x." + extension);
    writeFileBytes(file, "old");
    sites.clearRequests();
    serveFile("/files/a." + extension, answer);
    const DownloadResult result = download("1", u"x");
    EXPECT_EQ(result.status, saved ? Saved : NotDownloaded) << toUtf8(result.reason);
    EXPECT_EQ(readFileBytes(file), saved ? answer.body : "old");
    EXPECT_EQ(entriesInFolder(), 1u);
    EXPECT_EQ(downloadRequests(), 1u);
    fs::remove(file);
  }
}

// A type that Windows or a Linux desktop would run is never written, whatever the bytes: the
// folder stays empty, and there is no retry. Documents of unknown types keep working.
TEST_F(DownloadTest, TypesThatWouldRunAreNeverWritten) {
  const std::vector<std::string> runnable{
      "exe", "com", "bat", "cmd", "scr",  "pif", "cpl", "msi", "msp", "hta", "js", "jse",     "vbs",
      "vbe", "wsf", "wsh", "ps1", "psm1", "reg", "lnk", "url", "scf", "jar", "sh", "desktop", "appimage"};
  // {file name the redirect names, answer, reason ("" when saved)}
  std::vector<std::tuple<std::string, RawAnswer, std::string>> rows;
  for (const std::string &extension : runnable) {
    rows.emplace_back("a." + extension, testing::pageAnswer("", "%PDF-"),
                      "the site offered an executable file (." + extension + "); not saved");
  }
  const std::string exe = "the site offered an executable file (.exe); not saved";
  rows.insert(rows.end(), {
                              {"GB5490.PDF.EXE", testing::pageAnswer("", "MZ"), exe},
                              {"a.exe?v=1", testing::pageAnswer("", "MZ"), exe},
                              {"a.exe", testing::pageAnswer("", ""), exe},
                              {"a.exe", RawAnswer{404, {}, "not found"}, exe},
                              {"a.exe.pdf", testing::pageAnswer("", "%PDF-1.7"), ""},
                              {"a.caj", testing::pageAnswer("", "CAJ"), ""},
                              {"a.ofd", testing::pageAnswer("", "PK\x03\x04"), ""},
                              {"a.shtml", testing::pageAnswer("", "<p>"), ""},
                          });
  for (const auto &[file, answer, reason] : rows) {
    SCOPED_TRACE(file);
    sites.clearRequests();
    serveFile("/files/" + file, answer);
    const DownloadResult result = download("1", u"x");
    EXPECT_EQ(toUtf8(result.reason), reason);
    EXPECT_EQ(result.status, reason.empty() ? Saved : NotDownloaded);
    EXPECT_EQ(entriesInFolder(), reason.empty() ? 1u : 0u);
    EXPECT_EQ(downloadRequests(), 1u);
    emptyFolder();
  }
}

TEST_F(DownloadTest, ABodyLargerThanAPageStreamsIntoTheFile) {
  RawAnswer large = testing::pageAnswer("application/pdf", "%PDF-");
  large.fillerBytes = kMaxPageBytes;
  serveFile("/files/large.pdf", large);
  EXPECT_EQ(download("1", u"large").path, pathIn(u"large.pdf"));
  EXPECT_EQ(fs::file_size(folder / "large.pdf"), kMaxPageBytes + 5);
}

// The window keeps painting while a transfer runs, and serving is never entered twice: a download
// started from the served events runs without serving events itself.
TEST_F(DownloadTest, EventsAreServedDuringTheTransferButNeverReentrantly) {
  RawAnswer slow = testing::pageAnswer("", "%PDF-slow");
  slow.trickle = 5ms;
  serveFile("/files/slow.pdf", slow);
  int depth = 0;
  int deepest = 0;
  std::u16string inner;
  options.serveEvents = [&] {
    ++servedEvents;
    deepest = std::max(deepest, ++depth);
    if (inner.empty()) inner = download("1", u"inner").path;
    --depth;
  };
  EXPECT_EQ(download("1", u"outer").path, pathIn(u"outer.pdf"));
  EXPECT_EQ(inner, pathIn(u"inner.pdf"));
  EXPECT_EQ(readFileBytes(folder / "outer.pdf"), "%PDF-slow");
  EXPECT_EQ(readFileBytes(folder / "inner.pdf"), "%PDF-slow");
  EXPECT_GE(servedEvents, 2);
  EXPECT_EQ(deepest, 1);
}

TEST_F(DownloadTest, WithoutAFileTypeItRetriesOnceAfterThePause) {
  sites.setDownload("1", {testing::pageAnswer("text/html", "busy")});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(download("1", u"x").status, NotDownloaded);
  EXPECT_GT(std::chrono::steady_clock::now() - start, options.retryPause);
  EXPECT_EQ(downloadRequests(), 2u);
  EXPECT_GE(servedEvents, 1);
  EXPECT_EQ(entriesInFolder(), 0u);

  // The second answer names the file: the retry saves it.
  sites.setLibraryPath("/files/b.txt", testing::pageAnswer("text/plain", "second time"));
  sites.setDownload("2", {testing::pageAnswer("text/html", "busy"), testing::redirectAnswer("/files/b.txt")});
  EXPECT_EQ(download("2", u"b").path, pathIn(u"b.txt"));
  EXPECT_EQ(readFileBytes(folder / "b.txt"), "second time");
}

TEST_F(DownloadTest, UnreachableServerEndsAsAFailedDownload) {
  options.retryPause = std::chrono::milliseconds(0);
  const std::string base = testing::unreachableBase();
  const SavePath unused = [](std::u16string_view, std::u16string_view) { return std::u16string(u"x"); };
  EXPECT_EQ(downloadFile(u16(base + "/standard/down.php?auth=1"), headers, unused, options).status,
            NotDownloaded);
  EXPECT_EQ(downloadFile(u"", headers, unused, options).status, NoRequest);
}

TEST_F(DownloadTest, AFailedBodyLeavesAnExistingFileUntouched) {
  writeFileBytes(folder / "x.pdf", "old");
  // The redirect names a pdf on a server that is gone, so the body never arrives.
  const std::string gone = testing::unreachableBase() + "/a.pdf";
  sites.setDownload("1", {testing::redirectAnswer(gone)});
  EXPECT_EQ(download("1", u"x").status, NotDownloaded);
  EXPECT_EQ(readFileBytes(folder / "x.pdf"), "old");
  EXPECT_EQ(downloadRequests(), 1u);  // the type was known, so there was no retry
}

TEST_F(DownloadTest, AnUnwritableTargetFailsAndChangesNothing) {
  serveFile("/files/a.pdf", testing::pageAnswer("application/octet-stream", "%PDF-new"));
  fs::create_directories(folder / "x.pdf");
  const DownloadResult result = download("1", u"x");
  EXPECT_EQ(result.status, NotWritten);
  EXPECT_TRUE(result.reason.starts_with(u"cannot save the file as " + pathIn(u"x.pdf") + u": "));
  EXPECT_TRUE(fs::is_directory(folder / "x.pdf"));
  EXPECT_EQ(entriesInFolder(), 1u);  // no temporary file left behind

  EXPECT_EQ(download("1", u"missing folder/x").status, NotWritten);
}

#ifndef _WIN32
// The temporary file is made, renamed and removed in the folder it was made in, even when the
// folder's path comes to mean another folder while the body arrives.
TEST_F(DownloadTest, TheTemporaryFileStaysInTheFolderItWasMadeIn) {
  RawAnswer slow = testing::pageAnswer("application/pdf", "%PDF-" + std::string(400, 'x'));
  slow.trickle = 2ms;
  serveFile("/files/slow.pdf", slow);
  const auto entries = [](const fs::path &path) {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(path))
      names.push_back(entry.path().filename().string());
    return names;
  };
  using Names = std::vector<std::string>;
  // {the path's change while the body arrives, whether the download is then stopped, the files left
  // in the folder it began in, in the folder the path leads to at the end}
  const std::vector<std::tuple<std::string, bool, Names, Names>> rows{
      {"link swapped", true, {}, {}},
      {"link swapped", false, {"x.pdf"}, {}},
      {"folder moved", true, {}, {}},
  };
  for (const auto &[change, stopped, first, last] : rows) {
    SCOPED_TRACE(change + (stopped ? ", stopped" : ""));
    const fs::path before = folder / "before";
    const fs::path after = folder / "after";
    fs::create_directories(before);
    fs::create_directories(after);
    const bool swap = change == "link swapped";
    const bool stopAfterChange = stopped;  // clang before 16 lets no lambda capture a binding
    const fs::path path = swap ? folder / "link" : before;
    if (swap) fs::create_symlink(before, path);
    fs::path madeIn = before;
    bool changed = false;
    StopFlag stop;
    options.stop = &stop;
    options.serveEvents = [&] {
      if (changed || entries(before).empty()) return;
      changed = true;
      if (swap) {
        fs::remove(path);
        fs::create_symlink(after, path);
      } else {
        madeIn = folder / "moved";
        fs::rename(before, madeIn);
        fs::create_directories(before);
      }
      if (stopAfterChange) stop.requestStop();
    };
    const DownloadResult result = downloadFile(
        libraryUrl("/standard/down.php?auth=1"), headers,
        [&](std::u16string_view, std::u16string_view) { return (path / "x.pdf").u16string(); }, options);
    EXPECT_TRUE(changed);
    EXPECT_EQ(result.status, stopped ? NotDownloaded : Saved);
    EXPECT_EQ(entries(madeIn), first);
    EXPECT_EQ(entries(path), last);
    emptyFolder();
  }
}
#endif

}  // namespace
}  // namespace hengdian
