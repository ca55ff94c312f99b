#include "downloads/download_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_helpers.h"

namespace hengdian {
namespace {

namespace fs = std::filesystem;
using Text = std::u16string;
using testing::readFileBytes;

const Text kStamp = u"2024-05-01 13:45:07：";
const Text kFailed(kFileDownloadFailed);

class DownloadRunTest : public testing::SitesTest {
 protected:
  DownloadRunTest() {
    fs::create_directories(folder);
    run.folder = folder.u16string() + u"/";
    run.rule = u"[标准代号1] [标准名称].[扩展名]";
    run.hosts = {{u16(sites.libraryHost()), u16(sites.portalHost())}};
    run.retryPause = std::chrono::milliseconds(1);
    run.clock = [] { return DateValue{1714571107}; };  // 2024-05-01 13:45:07
    run.observer.logLine = [this](const Text &line) { log.insert(log.begin(), line); };  // newest on top
    serveFile("show-1", "/files/a.pdf", "%PDF-first");
    serveFile("show-2", "/files/b.PDF", "%PDF-second");
  }

  void serveFile(const std::string &auth, const std::string &path, const std::string &body,
                 const std::string &type = "application/pdf") {
    sites.setLibraryPath(path, testing::pageAnswer(type, body));
    sites.setDownload(auth, {testing::redirectAnswer(path)});
  }

  DownloadOutcome batch(const std::vector<ResultRow> &rows) {
    return runDownloads(rows, DownloadMode::Batch, run);
  }

  std::vector<std::string> downloadQueries() const {
    std::vector<std::string> queries;
    for (const testing::RecordedRequest &request : sites.requests())
      if (request.path == "/standard/down.php") queries.push_back(request.query);
    return queries;
  }

  Text saved(const Text &codeAndName, const Text &file) const {
    return kStamp + u"下载" + codeAndName + u"成功，保存路径：" + run.folder + file;
  }

  testing::TempFolder temp{"hengdian-download-run-test-"};
  const fs::path folder = temp.path() / "inner";
  DownloadRun run;
  std::vector<Text> log;
};

const ResultRow kFound{u"GB/T 1-2010", u"食品", u"/standard/show-1.html", Site::Library};

TEST_F(DownloadRunTest, BatchTriesEveryRowAndLogsNewestFirst) {
  run.rule = u"[标准代号3].[扩展名]";
  const DownloadOutcome outcome = batch({kFound,
                                         {u"GB 2-2011", u"没有", u"", Site::Library},
                                         {u"GB 3-2012", u"网站", u"/gb/2", Site::Portal},
                                         {u"GB/T 1-2015", u"同名", u"/standard/show-2.html", Site::Library}});

  EXPECT_EQ(log, (std::vector<Text>{
                     kStamp + u"批量下载标准完成。",
                     saved(u"GB/T 1-2015 同名", u"GBT 1 (2).pdf"),
                     kStamp + u"下载GB 3-2012 网站失败：" + kFailed,
                     kStamp + u"下载GB 2-2011 没有失败：" + kFailed,
                     saved(u"GB/T 1-2010 食品", u"GBT 1.pdf"),
                     kStamp + u"批量下载标准开始：",
                 }));
  EXPECT_EQ(downloadQueries(), (std::vector<std::string>{"auth=show-1", "auth=", "auth=", "auth=show-2"}));
  // Every request comes as a browser from the site's start page.
  const testing::RecordedRequest first = sites.requests().front();
  EXPECT_EQ(first.header("User-Agent"), toUtf8(kDownloadHttpSettings.userAgent));
  EXPECT_EQ(first.header("Referer"), sites.libraryBase() + "/standard/index.html");
  EXPECT_EQ(outcome.saved, 2u);
  EXPECT_EQ(outcome.failed, 2u);
}

// One file per row: a name the batch wrote already is numbered, while a file left by an earlier run
// and a name whose download failed are taken as they are.
TEST_F(DownloadRunTest, BatchNumbersTheNamesItWroteAlready) {
  run.rule = u"[标准名称].[扩展名]";
  testing::writeFileBytes(folder / "same.pdf", "earlier run");
  testing::writeFileBytes(folder / "same (2).pdf", "earlier run");
  // {name, link, file saved ("" when the download fails), its body}
  const std::vector<std::tuple<Text, Text, Text, std::string>> rows{
      {u"other", u"/standard/show-9.html", u"", ""},
      {u"other", u"/standard/show-2.html", u"other.pdf", "%PDF-second"},
      {u"same", u"/standard/show-1.html", u"same.pdf", "%PDF-first"},
      {u"same", u"/standard/show-2.html", u"same (2).pdf", "%PDF-second"},
      {u"same (2)", u"/standard/show-1.html", u"same (2) (2).pdf", "%PDF-first"},
      {u"same", u"/standard/show-1.html", u"same (3).pdf", "%PDF-first"},
  };
  std::vector<ResultRow> found;
  for (const auto &[name, link, file, body] : rows)
    found.push_back({u"GB 1", name, link, Site::Library});
  batch(found);
  ASSERT_EQ(log.size(), rows.size() + 2);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto &[name, link, file, body] = rows[i];
    SCOPED_TRACE(toUtf8(file));
    EXPECT_EQ(log[rows.size() - i], file.empty() ? kStamp + u"下载GB 1 " + name + u"失败：" + kFailed
                                                 : saved(u"GB 1 " + name, file));
    if (!file.empty()) {
      EXPECT_EQ(readFileBytes(folder / fs::path(file)), body);
    }
  }
}

// The file goes under a name the platform holds: on Windows a colon in a title is not a stream.
TEST_F(DownloadRunTest, NamesThatLeaveTheFolderAndOverlongPathsAreRefusedBeforeAnyRequest) {
  // {rule, code, name, folder suffix, file it is saved as ("" when refused)}
  using Row = std::tuple<Text, Text, Text, Text, Text>;
  const Text overlong(kLongestTargetPath, u'a');
#ifdef _WIN32
  const Text colonName = u"GB 1 第1部分：总则.pdf";
#else
  const Text colonName = u"GB 1 第1部分:总则.pdf";
#endif
  const std::vector<Row> rows{
      {u"[标准名称].[扩展名]", u"GB 1", u"../up", u"", u""},
      {u"[标准名称].[扩展名]", u"GB 1", u"..\\up", u"", u""},
      {u"[标准代号1]/[标准名称].[扩展名]", u"GB 1", u"a/b", u"", u""},
      {u"[标准代号2].[扩展名]", u"[标准名称]", u"../up", u"", u""},    // the name arrives through the code
      {u"[标准代号1].[扩展名]", u"GB 1", u"../up", u"", u"GB 1.pdf"},  // the name is not used
      {u"sub/[标准代号1].[扩展名]", u"GB/T 1", u"x", u"", u"sub/GBT 1.pdf"},  // the user's own rule
      {u"[标准代号1].[扩展名]", u"GB 1", u"x", overlong, u""},
      {u"[标准代号1] [标准名称].[扩展名]", u"GB 1", u"第1部分:总则", u"", colonName},
  };
  fs::create_directories(folder / "sub");
  const Text base = run.folder;
  for (const auto &[rule, code, name, suffix, file] : rows) {
    SCOPED_TRACE(toUtf8(rule + u" " + name));
    sites.clearRequests();
    const ResultRow row{code, name, u"/standard/show-1.html", Site::Library};
    run.folder = base + suffix;
    run.rule = rule;
    const DownloadResult result = downloadRow(row, run);
    if (file.empty()) {
      EXPECT_EQ(result.status, DownloadStatus::NotWritten);
      EXPECT_TRUE(downloadQueries().empty());
    } else {
      EXPECT_EQ(result.path, base + file);
      EXPECT_EQ(readFileBytes(fs::path(result.path)), "%PDF-first");
    }
  }
  EXPECT_FALSE(fs::exists(temp.path() / "up.pdf"));
  EXPECT_FALSE(fs::exists(folder / "a"));
}

// Each row's outcome reaches the observer after its log line; a stop raised after one row leaves
// the next unattempted and the end line unwritten.
TEST_F(DownloadRunTest, ARunTellsEachRowsOutcomeToItsObserver) {
  serveFile("show-x", "/files/x.exe", "MZ", "application/octet-stream");
  StopFlag stop;
  run.stop = &stop;
  // {row, its status, the reason the result gives}; the stop comes after the row before last.
  const std::vector<std::tuple<ResultRow, DownloadStatus, Text>> rows{
      {kFound, DownloadStatus::Saved, u""},
      {{u"GB 2", u"二", u"/standard/show-x.html", Site::Library},
       DownloadStatus::NotDownloaded,
       u"the site offered an executable file (.exe); not saved"},
      {{u"GB 3", u"../三", u"/standard/show-1.html", Site::Library},
       DownloadStatus::NotWritten,
       u"the name would put a path separator into the file name"},
      {{u"GB 4", u"四", u"/gb/4", Site::Portal}, DownloadStatus::NotDownloaded, u"the site serves no files"},
      {kFound, DownloadStatus::NotDownloaded, u""},
  };
  std::vector<ResultRow> found;
  std::vector<std::tuple<ResultRow, DownloadStatus, Text>> heard;
  for (const auto &[row, status, reason] : rows)
    found.push_back(row);
  run.observer.rowDone = [&](const ResultRow &row, const DownloadResult &result) {
    EXPECT_EQ(log.front(), kStamp + downloadResultText(row, result));
    heard.emplace_back(row, result.status, result.reason);
    if (heard.size() == rows.size() - 1) stop.requestStop();
  };
  const DownloadOutcome outcome = batch(found);
  EXPECT_EQ(heard, decltype(heard)(rows.begin(), rows.end() - 1));
  EXPECT_EQ(log.size(), rows.size());
  EXPECT_EQ(log.back(), kStamp + u"批量下载标准开始：");
  EXPECT_EQ(downloadQueries(), (std::vector<std::string>{"auth=show-1", "auth=show-x"}));
  EXPECT_EQ(std::tie(outcome.saved, outcome.failed, outcome.stopped), std::make_tuple(1u, 3u, true));
}

}  // namespace
}  // namespace hengdian
