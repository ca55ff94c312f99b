#include "downloads/download_job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_helpers.h"
#include "web/download.h"

namespace hengdian {
namespace {

namespace fs = std::filesystem;
using Text = std::u16string;
using testing::readFileBytes;

const Text kStamp = u"2024-05-01 13:45:07：";
const Text kFailed(kFileDownloadFailed);

/// The download settings tab as a list of what was done to it; log lines go on top.
struct FakeView {
  DownloadSettings settings;
  std::vector<Text> log;
  std::vector<std::pair<Text, MessageKind>> boxes;
  std::vector<std::string> controls;

  DownloadView view() {
    return {[this] { return settings; },
            [this](const Text &text, MessageKind kind) { boxes.emplace_back(text, kind); },
            [this](bool shown) { controls.push_back(shown ? "shown" : "hidden"); },
            [this](bool enabled) { controls.push_back(enabled ? "enabled" : "disabled"); },
            [this](int tab) { controls.push_back("tab " + std::to_string(tab)); }};
  }
};

class DownloadJobTest : public testing::SitesTest {
 protected:
  DownloadJobTest() {
    fs::create_directories(folder);
    fake.settings.folder = folder.u16string() + u"/";
    fake.settings.rule = u"[标准代号1] [标准名称].[扩展名]";
    run.hosts[Site::Library] = u16(sites.libraryHost());
    run.hosts[Site::Portal] = u16(sites.portalHost());
    run.retryPause = std::chrono::milliseconds(1);
    run.clock = [] { return DateValue{1714571107}; };  // 2024-05-01 13:45:07
    run.observer.logLine = [this](const Text &line) { fake.log.insert(fake.log.begin(), line); };
    serveFile("show-1", "/files/a.pdf", "%PDF-first");
    serveFile("show-2", "/files/b.PDF", "%PDF-second");
  }

  void serveFile(const std::string &auth, const std::string &path, const std::string &body) {
    sites.setLibraryPath(path, testing::pageAnswer("application/pdf", body));
    sites.setDownload(auth, {testing::redirectAnswer(path)});
  }

  void fillTable(const std::vector<ResultRow> &rows) {
    table.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
      table.setRow(i, rows[i]);
  }

  DownloadOutcome confirm(DownloadMode mode, std::size_t rowIndex = 0) {
    return confirmDownload(DownloadJob{mode, rowIndex}, table, fake.view(), run);
  }

  std::vector<std::string> downloadQueries() const {
    std::vector<std::string> queries;
    for (const testing::RecordedRequest &request : sites.requests())
      if (request.path == "/standard/down.php") queries.push_back(request.query);
    return queries;
  }

  Text saved(const Text &codeAndName, const Text &file) const {
    return kStamp + u"下载" + codeAndName + u"成功，保存路径：" + fake.settings.folder + file;
  }

  testing::TempFolder temp{"hengdian-download-job-test-"};
  const fs::path folder = temp.path() / "inner";
  FakeView fake;
  DownloadRun run;
  ResultTable table;
};

const ResultRow kFound{u"GB/T 1-2010", u"食品", u"/standard/show-1.html", Site::Library};

TEST_F(DownloadJobTest, SingleRunLogsTheRowAndShowsItsBoxOnlyWhenTicked) {
  // {link of row 0, remembered index, notice ticked, log text after the stamp, box kind}
  using Row = std::tuple<Text, std::size_t, bool, Text, std::optional<MessageKind>>;
  const Text success =
      u"下载GB/T 1-2010 食品成功，保存路径：" + fake.settings.folder + u"GBT 1-2010 食品.pdf";
  const std::vector<Row> rows{
      {u"/standard/show-1.html", 0, true, success, MessageKind::Plain},
      {u"/standard/show-1.html", 0, false, success, std::nullopt},
      {u"/standard/show-9.html", 0, true, u"下载GB/T 1-2010 食品失败：" + kFailed, MessageKind::Error},
      // A remembered index beyond the table reads as an empty row.
      {u"/standard/show-1.html", 5, true, u"下载 失败：" + kFailed, MessageKind::Error},
  };
  for (const auto &[link, index, notify, text, box] : rows) {
    SCOPED_TRACE(toUtf8(text));
    fake = FakeView{{fake.settings.folder, fake.settings.rule, notify}, {}, {}, {}};
    fillTable({{kFound.code, kFound.name, link, Site::Library}});
    confirm(DownloadMode::Single, index);
    EXPECT_EQ(fake.log, std::vector<Text>{kStamp + text});
    ASSERT_EQ(fake.boxes.size(), box ? 1u : 0u);
    if (box) {
      EXPECT_EQ(fake.boxes[0], std::make_pair(text, *box));
    }
    EXPECT_EQ(fake.controls, (std::vector<std::string>{"tab 0", "hidden"}));
  }
}

TEST_F(DownloadJobTest, BatchTriesEveryRowAndLogsNewestFirst) {
  fake.settings.rule = u"[标准代号3].[扩展名]";
  fillTable({kFound,
             {u"GB 2-2011", u"没有", u"", Site::Library},
             {u"GB 3-2012", u"网站", u"/gb/2", Site::Portal},
             {u"GB/T 1-2015", u"同名", u"/standard/show-2.html", Site::Library}});

  const DownloadOutcome outcome = confirm(DownloadMode::Batch);

  EXPECT_EQ(fake.log, (std::vector<Text>{
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
  EXPECT_EQ(fake.boxes,
            (std::vector<std::pair<Text, MessageKind>>{{u"批量下载标准完成。", MessageKind::Plain}}));
  EXPECT_EQ(fake.controls, (std::vector<std::string>{"disabled", "enabled", "tab 0", "hidden"}));
}

// One file per row: a name the batch wrote already is numbered, while a file left by an earlier run
// and a name whose download failed are taken as they are.
TEST_F(DownloadJobTest, BatchNumbersTheNamesItWroteAlready) {
  fake.settings.rule = u"[标准名称].[扩展名]";
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
  fillTable(found);
  confirm(DownloadMode::Batch);
  ASSERT_EQ(fake.log.size(), rows.size() + 2);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto &[name, link, file, body] = rows[i];
    SCOPED_TRACE(toUtf8(file));
    EXPECT_EQ(fake.log[rows.size() - i], file.empty() ? kStamp + u"下载GB 1 " + name + u"失败：" + kFailed
                                                      : saved(u"GB 1 " + name, file));
    if (!file.empty()) {
      EXPECT_EQ(readFileBytes(folder / fs::path(file)), body);
    }
  }
}

TEST_F(DownloadJobTest, BatchBeforeAnyCheckTriesTheOneEmptyEntry) {
  confirm(DownloadMode::Batch);
  EXPECT_EQ(fake.log, (std::vector<Text>{kStamp + u"批量下载标准完成。", kStamp + u"下载 失败：" + kFailed,
                                         kStamp + u"批量下载标准开始："}));
  EXPECT_EQ(downloadQueries(), (std::vector<std::string>{"auth=", "auth="}));

  // A table without rows to download: nothing but the return to the search tab.
  table.resize(0);
  fake = FakeView{fake.settings, {}, {}, {}};
  confirm(DownloadMode::Batch);
  EXPECT_TRUE(fake.log.empty());
  EXPECT_EQ(fake.controls, (std::vector<std::string>{"tab 0", "hidden"}));
}

// The file goes under a name the platform holds: on Windows a colon in a title is not a stream.
TEST_F(DownloadJobTest, NamesThatLeaveTheFolderAndOverlongPathsAreRefusedBeforeAnyRequest) {
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
  for (const auto &[rule, code, name, suffix, file] : rows) {
    SCOPED_TRACE(toUtf8(rule + u" " + name));
    sites.clearRequests();
    fake.settings.rule = rule;
    const ResultRow row{code, name, u"/standard/show-1.html", Site::Library};
    run.folder = fake.settings.folder + suffix;
    run.rule = rule;
    const DownloadResult result = downloadRow(row, run);
    if (file.empty()) {
      EXPECT_EQ(result.status, DownloadStatus::NotWritten);
      EXPECT_TRUE(downloadQueries().empty());
    } else {
      EXPECT_EQ(result.path, fake.settings.folder + file);
      EXPECT_EQ(readFileBytes(fs::path(result.path)), "%PDF-first");
    }
  }
  EXPECT_FALSE(fs::exists(temp.path() / "up.pdf"));
  EXPECT_FALSE(fs::exists(folder / "a"));
}

TEST_F(DownloadJobTest, ArmingSelectsTheSettingsTabUnlessTheRowIsAPortalRow) {
  fillTable({kFound, {u"GB 3", u"网站", u"/gb/2", Site::Portal}});
  // {current row, mode, armed}; row 7 lies beyond the table and reads as an empty library row.
  const std::vector<std::tuple<std::size_t, DownloadMode, bool>> rows{
      {0, DownloadMode::Batch, true}, {1, DownloadMode::Single, false}, {7, DownloadMode::Single, true}};
  for (const auto &[current, mode, armed] : rows) {
    SCOPED_TRACE(current);
    fake = FakeView{};
    DownloadJob job{DownloadMode::Single, 99};
    EXPECT_EQ(armDownload(job, mode, current, table, fake.view()), armed);
    EXPECT_EQ(job.rowIndex, armed ? current : 99u);
    EXPECT_EQ(job.mode, armed ? mode : DownloadMode::Single);
    const std::vector<std::string> shown{"tab 1", "shown"};
    EXPECT_EQ(fake.controls, armed ? shown : std::vector<std::string>());
  }
}

TEST_F(DownloadJobTest, AStopRequestEndsTheBatchBeforeTheNextRow) {
  fillTable({kFound, kFound, kFound});
  StopFlag stop;
  run.stop = &stop;
  run.observer.logLine = [this, &stop](const Text &line) {
    fake.log.insert(fake.log.begin(), line);
    if (fake.log.size() == 2) stop.requestStop();
  };
  const DownloadOutcome outcome = confirm(DownloadMode::Batch);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(fake.log, (std::vector<Text>{saved(u"GB/T 1-2010 食品", u"GBT 1-2010 食品.pdf"),
                                         kStamp + u"批量下载标准开始："}));
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(fake.controls, std::vector<std::string>{"disabled"});
}

// Each row's outcome reaches the observer after its log line; a stop raised after one row leaves
// the next unattempted and the end line unwritten.
TEST_F(DownloadJobTest, ARunTellsEachRowsOutcomeToItsObserver) {
  sites.setLibraryPath("/files/x.exe", testing::pageAnswer("application/octet-stream", "MZ"));
  sites.setDownload("show-x", {testing::redirectAnswer("/files/x.exe")});
  run.folder = fake.settings.folder;
  run.rule = fake.settings.rule;
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
    EXPECT_EQ(fake.log.front(), kStamp + downloadResultText(row, result));
    heard.emplace_back(row, result.status, result.reason);
    if (heard.size() == rows.size() - 1) stop.requestStop();
  };
  const DownloadOutcome outcome = runDownloads(found, DownloadMode::Batch, run);
  EXPECT_EQ(heard, decltype(heard)(rows.begin(), rows.end() - 1));
  EXPECT_EQ(fake.log.size(), rows.size());
  EXPECT_EQ(fake.log.back(), kStamp + u"批量下载标准开始：");
  EXPECT_EQ(downloadQueries(), (std::vector<std::string>{"auth=show-1", "auth=show-x"}));
  EXPECT_EQ(std::tie(outcome.saved, outcome.failed, outcome.stopped), std::make_tuple(1u, 3u, true));
}

}  // namespace
}  // namespace hengdian
