#include "lookup/query_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/code_page.h"
#include "runtime/text.h"
#include "support/event_loop_thread.h"
#include "support/stand_in_sites.h"
#include "support/test_helpers.h"
#include "support/wait_for_threads.h"
#include "web/http.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using testing::libraryHit;
using testing::portalHit;
using testing::RawAnswer;

const std::u16string kLoading = u"查询得到信息：正在加载中";
const std::u16string kDone = u"查询得到信息：已加载完成。";
const std::u16string kNotFound = u"【★未查询到该标准!】";

/// The captions of a check of one library line whose first page held no hit.
std::vector<std::u16string> captionsWithTenWaits() {
  std::vector<std::u16string> captions{kLoading};
  for (int marks = 1; marks <= 10; ++marks)
    captions.push_back(kLoading + std::u16string(marks, u'>'));
  captions.insert(captions.end(), {kLoading + u"...", kDone});
  return captions;
}

/// Polls `condition` for a while; whether it came true.
bool eventually(const std::function<bool()> &condition) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

/// A check against the stand-in sites with a recording view on a stand-in user interface thread.
class QueryJobTest : public testing::SitesTest {
 protected:
  QueryJobTest() {
    ui.runAndWait([this] { uiThread = std::this_thread::get_id(); });
    job.settings.hosts = {{u16(sites.libraryHost()), u16(sites.portalHost())}};
    job.settings.retryWait = 1ms;
    job.settings.http.caFile = http.caFile;
  }
  ~QueryJobTest() override { testing::waitForAll(threads); }

  /// The view as the window's: it replaces its text or appends to it, and every call is logged as
  /// "caption:..." or "text:<the whole text>" in the order it ran.
  LookupView recordingView() {
    LookupView view;
    view.inputText = [this] {
      noteThread();
      return input;
    };
    view.selectedSite = [this] {
      noteThread();
      return site;
    };
    view.setResultsText = [this](const std::u16string &text) {
      noteThread();
      log.push_back(u"text:" + text);
      texts.push_back(text);
      if (afterText) afterText();
    };
    view.appendResultsText = [this](const std::u16string &tail) {
      noteThread();
      texts.push_back(texts.empty() ? tail : texts.back() + tail);
      log.push_back(u"text:" + texts.back());
      if (afterText) afterText();
    };
    view.setResultsCaption = [this](const std::u16string &caption) {
      noteThread();
      log.push_back(u"caption:" + caption);
      captions.push_back(caption);
    };
    return view;
  }

  void noteThread() {
    if (std::this_thread::get_id() != uiThread) offUiThread = true;
  }

  /// Starts a check as the check button does.
  void startOnUi() {
    ui.runAndWait([this] { startCheck(job); });
  }

  /// Waits until the checks have ended and what they posted has been shown.
  void waitForChecks() {
    testing::waitForAll(threads);
    ui.runAndWait([] {});
  }

  /// Runs a whole check.
  void check() {
    startOnUi();
    waitForChecks();
    EXPECT_FALSE(offUiThread);
  }

  /// Stops the running check on the user interface thread and waits for it: it ends without
  /// waiting out a held request or a pause, and writes nothing more to the view.
  void stopAndExpectNothingMore() {
    std::size_t mark = 0;
    const auto stopped = std::chrono::steady_clock::now();
    ui.runAndWait([&] {
      stopThread(threads, job.runningThread);
      mark = log.size();
    });
    waitForChecks();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 5s);
    EXPECT_EQ(log.size(), mark);
  }

  /// The view log as it stands, read on the user interface thread.
  std::vector<std::u16string> logNow() {
    std::vector<std::u16string> copy;
    ui.runAndWait([&] { copy = log; });
    return copy;
  }

  /// Whether the stand-in received a request whose query or body holds `needle`.
  bool received(const std::string &needle) {
    return std::ranges::any_of(sites.requests(), [&](const testing::RecordedRequest &request) {
      return request.query.find(needle) != std::string::npos ||
             request.body.find(needle) != std::string::npos;
    });
  }

  ResultTable table;
  ThreadRegistry threads;
  testing::EventLoopThread ui;
  std::thread::id uiThread;
  bool offUiThread = false;

  // The view's state; touched on `ui`, or by the test once the check has ended.
  std::u16string input;
  Site site = Site::Library;
  std::vector<std::u16string> log;
  std::vector<std::u16string> captions;
  std::vector<std::u16string> texts;
  std::function<void()> afterText;

  QueryJob job{threads, table, recordingView(), ui.poster(), QuerySettings{}};
};

TEST_F(QueryJobTest, FourLibraryHitsFillTheRowsTheTextAndTheCaptions) {
  input =
      u"GB/T 5490-2010\t粮油检验 一般规则\r\nGB 2760-2014\t食品添加剂使用标准\r\nGB/T 5009.3-2016\r\n"
      u"GB 4789.2-2016\t菌落总数测定";
  for (const auto &[code, name, number] : {std::tuple{"GB/T 5490-2010", " 粮油检验 一般规则", "5490"},
                                           {"GB 2760-2014", " 食品添加剂使用标准", "2760"},
                                           {"GB/T 5009.3-2016", " 水分的测定", "5009"},
                                           {"GB 4789.2-2016", " 菌落总数测定", "4789"}})
    sites.setLibrarySearch(
        code, {libraryHit(std::string(code) + name, std::string("/standard/") + number + ".html")});
  check();

  EXPECT_EQ(captions, (std::vector<std::u16string>{kLoading, kLoading + u"...", kLoading + u".",
                                                   kLoading + u"..", kLoading + u"...", kDone}));
  ASSERT_EQ(texts.size(), 4u);
  const std::u16string firstLine =
      u"【同号同名■现行有效■GB/T 5490-2010 粮油检验 一般规则■2010-01-01■2011-01-01■/standard/5490.html】\n";
  EXPECT_EQ(texts[0], firstLine);
  EXPECT_TRUE(texts[3].starts_with(texts[2]));
  EXPECT_EQ(countOf(texts[3], u"\n"), 4u);
  EXPECT_EQ(fieldOf(texts[3], 3, u"\n"),
            u"【同号■现行有效■GB/T 5009.3-2016 水分的测定■2010-01-01■2011-01-01■/standard/5009.html】");
  // The text of a line is shown before the caption that counts it.
  EXPECT_EQ(log[1], u"text:" + firstLine);
  EXPECT_EQ(log[2], u"caption:" + kLoading + u"...");

  ASSERT_EQ(table.size(), 5u);
  EXPECT_EQ(table.row(0),
            (ResultRow{u"GB/T 5490-2010", u"粮油检验 一般规则", u"/standard/5490.html", Site::Library}));
  EXPECT_EQ(table.row(2),
            (ResultRow{u"GB/T 5009.3-2016", u"水分的测定", u"/standard/5009.html", Site::Library}));
  EXPECT_EQ(table.row(4), ResultRow{});

  const auto requests = sites.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].path, "/standard/search.php");
  EXPECT_EQ(requests[0].query, "corpstandard=2&fields=0&kw=GB/T%205490-2010");
  EXPECT_EQ(requests[3].query, "corpstandard=2&fields=0&kw=GB%204789.2-2016");
}

TEST_F(QueryJobTest, PortalLinesPostTheFormAndGetAbsoluteLinks) {
  site = Site::Portal;
  input = u"GB/T 5490-2010\t粮油检验 一般规则";
  sites.setPortalSearch("GB/T 5490-2010", {portalHit("GB/T 5490-2010 粮油检验 一般规则", "/gb/5490")});
  check();

  const std::string base = sites.portalBase();
  EXPECT_EQ(texts, (std::vector<std::u16string>{
                       u"【同号同名■现行■GB/T 5490-2010 粮油检验 一般规则■2010-01-01■2011-01-01■" +
                       u16(base) + u"/gb/5490】\n"}));
  EXPECT_EQ(table.row(0),
            (ResultRow{u"GB/T 5490-2010", u"粮油检验 一般规则", u16(base) + u"/gb/5490", Site::Portal}));
  const auto requests = sites.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].path, "/basicsearch");
  EXPECT_EQ(requests[0].body, "text=GB/T%205490-2010&search=a100");
}

// The window appends: a check replaces the earlier check's text with its first line and adds
// every later line behind it, which shows the same text as the whole text set each time.
TEST_F(QueryJobTest, AViewThatAppendsGetsTheFirstLineWholeAndTheOthersAsTails) {
  site = Site::Portal;
  sites.setPortalSearch("GB 1-2000", {portalHit("GB 1-2000 一", "/gb/1")});
  std::u16string shown;
  std::vector<std::u16string> calls;
  job.view.setResultsText = [&](const std::u16string &text) {
    shown = text;
    calls.push_back(u"set:" + text);
  };
  job.view.appendResultsText = [&](const std::u16string &tail) {
    shown += tail;
    calls.push_back(u"append:" + tail);
  };
  input = u"GB 9-2000\nGB 1-2000\nGB 8-2000";
  check();
  const std::u16string hit = fieldOf(shown, 2, u"\n");
  EXPECT_TRUE(hit.starts_with(u"【同号■")) << toUtf8(hit);
  EXPECT_EQ(shown, kNotFound + u"\n" + hit + u"\n" + kNotFound + u"\n");
  input = u"GB 1-2000\nGB 7-2000";
  check();

  EXPECT_EQ(shown, hit + u"\n" + kNotFound + u"\n");
  EXPECT_EQ(calls, (std::vector<std::u16string>{u"set:" + kNotFound + u"\n", u"append:" + hit + u"\n",
                                                u"append:" + kNotFound + u"\n", u"set:" + hit + u"\n",
                                                u"append:" + kNotFound + u"\n"}));
}

TEST_F(QueryJobTest, ALibraryLineThatFindsNothingTwiceCountsTenWaitsThenGivesUp) {
  input = u"GB/T 9999-2099\t不存在的标准";
  check();

  EXPECT_EQ(captions, captionsWithTenWaits());
  EXPECT_EQ(texts, (std::vector<std::u16string>{kNotFound + u"\n"}));
  EXPECT_EQ(table.row(0), (ResultRow{u"GB/T 9999-2099", u"不存在的标准", u"", Site::Library}));
  const auto requests = sites.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].query, requests[0].query);
}

TEST_F(QueryJobTest, ALibraryLineWhoseFirstTransferFailsFindsItsHitInTheSecondAttempt) {
  input = u"GB 2763-2021";
  RawAnswer cutOff;
  cutOff.closeAtOnce = true;
  sites.setLibrarySearch("GB 2763-2021",
                         {cutOff, libraryHit("GB 2763-2021 农药最大残留限量", "/s/2763.html")});
  check();

  EXPECT_EQ(sites.requests().size(), 2u);
  EXPECT_EQ(captions, captionsWithTenWaits());
  // The row's error is the second attempt's: none.
  EXPECT_EQ(table.row(0), (ResultRow{u"GB 2763-2021", u"农药最大残留限量", u"/s/2763.html", Site::Library}));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(texts[0].starts_with(u"【同号■现行有效■GB 2763-2021 农药最大残留限量■"));
}

// Two checks one after the other: the second starts although the first has ended.
TEST_F(QueryJobTest, AnEmptyInputIsOneLineWithAnEmptyCode) {
  sites.setLibrarySearch("", {libraryHit("GB 1-1999 某标准", "/s/1.html")});
  check();
  site = Site::Portal;
  check();

  const auto requests = sites.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].query, "corpstandard=2&fields=0&kw=");
  EXPECT_EQ(requests[1].body, "text=&search=a100");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(countOf(texts[0], u"\n"), 1u);
  EXPECT_EQ(texts[1], kNotFound + u"\n");
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.row(0), (ResultRow{u"", u"", u"", Site::Portal}));
}

TEST_F(QueryJobTest, LineBreaksOfEveryKindEndAsOneLineFeed) {
  site = Site::Portal;  // no second attempts, one request per line
  struct Case {
    std::u16string input;
    std::vector<std::string> bodies;
  };
  const std::string a = "text=GB/T%205490-2010&search=a100";
  const std::string b = "text=GB/T%205491-1985&search=a100";
  const std::string blank = "text=&search=a100";
  const std::vector<Case> cases{
      {u"GB/T 5490-2010\r\n\r\nGB/T 5491-1985", {a, blank, b}},  // a blank line kept
      {u"GB/T 5490-2010\n\nGB/T 5491-1985", {a, b}},
      {u"GB/T 5490-2010\r\rGB/T 5491-1985", {a, b}},
      {u"GB/T 5490-2010\n\n\nGB/T 5491-1985", {a, blank, b}},  // three become two
      {u"\r\n\r\nGB/T 5490-2010\r\nGB/T 5491-1985\r\n\r\n", {a, b}},
  };
  for (const Case &one : cases) {
    SCOPED_TRACE(toUtf8(one.input));
    sites.clearRequests();
    input = one.input;
    texts.clear();
    check();

    EXPECT_EQ(testing::requestFields(sites, &testing::RecordedRequest::body), one.bodies);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(countOf(texts.back(), u"\n"), one.bodies.size());
    EXPECT_EQ(table.size(), one.bodies.size() + 1);
  }
}

TEST_F(QueryJobTest, CodeAndNameAreTheFirstTwoTabFieldsWithoutOuterSpaces) {
  site = Site::Portal;
  input = u"  GB/T 5490-2010 \t 粮油检验 一般规则 \t第三\t第四\n\t只有名称\t";
  sites.setPortalSearch("GB/T 5490-2010", {portalHit("GB/T 5490-2010　粮油检验 一般规则", "/gb/5490")});
  check();

  ASSERT_EQ(texts.size(), 2u);
  EXPECT_TRUE(texts[1].starts_with(u"【同号同名■现行■GB/T 5490-2010 粮油检验 一般规则■")) << toUtf8(texts[1]);
  EXPECT_EQ(fieldOf(texts[1], 2, u"\n"), kNotFound);
  EXPECT_EQ(table.row(0).name, u"粮油检验 一般规则");
  EXPECT_EQ(table.row(1), (ResultRow{u"", u"只有名称", u"", Site::Portal}));
  const auto requests = sites.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].body, "text=GB/T%205490-2010&search=a100");
  EXPECT_EQ(requests[1].body, "text=&search=a100");
}

TEST_F(QueryJobTest, TheSiteIsReadAnewForEveryLine) {
  input = u"GB 1-2000\nGB 2-2000\nGB 3-2000";
  sites.setLibrarySearch("GB 1-2000", {libraryHit("GB 1-2000 一", "/s/1.html")});
  afterText = [this] { site = Site::Portal; };  // the user switches while line 1 is looked up
  check();

  EXPECT_EQ(table.row(0).site, Site::Library);
  EXPECT_EQ(table.row(1).site, Site::Portal);
  EXPECT_EQ(table.row(2).site, Site::Portal);
  EXPECT_EQ(testing::requestFields(sites, &testing::RecordedRequest::method),
            (std::vector<std::string>{"GET", "POST", "POST"}));
}

TEST_F(QueryJobTest, ANewCheckStopsTheRunningOneWhichWritesNothingMore) {
  input = u"GB 1-2000\nGB 2-HOLD\nGB 3-2000";
  sites.setLibrarySearch("GB 1-2000", {libraryHit("GB 1-2000 一", "/s/1.html")});
  sites.setLibrarySearch("GB 2-HOLD", {testing::delayed(libraryHit("GB 2-HOLD 二", "/s/2.html"), 10min)});
  for (const char *code : {"GB 10-2010", "GB 11-2010", "GB 12-2010"}) {
    sites.setLibrarySearch(code, {libraryHit(std::string(code) + " 新", std::string("/n/") + code)});
  }
  startOnUi();
  ASSERT_TRUE(eventually([&] { return received("HOLD"); }));

  std::size_t mark = 0;
  const auto stopped = std::chrono::steady_clock::now();
  ui.runAndWait([&] {
    input = u"GB 10-2010\nGB 11-2010\nGB 12-2010";  // edited while the old check runs
    mark = log.size();
    startCheck(job);
  });
  waitForChecks();
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, 5s);  // the held request was dropped

  // After the stop, exactly what a fresh check of the new text shows, and nothing of the old one.
  const std::vector<std::u16string> after(log.begin() + static_cast<std::ptrdiff_t>(mark), log.end());
  ASSERT_EQ(after.size(), 8u);
  EXPECT_EQ(after[0], u"caption:" + kLoading);
  EXPECT_TRUE(after[1].starts_with(u"text:【同号■现行有效■GB 10-2010 新")) << toUtf8(after[1]);
  EXPECT_EQ(after[2], u"caption:" + kLoading + u"...");
  EXPECT_EQ(after[7], u"caption:" + kDone);
  for (const auto &entry : after)
    EXPECT_EQ(entry.find(u"HOLD"), std::u16string::npos);

  EXPECT_EQ(table.size(), 4u);
  EXPECT_EQ(table.row(1), (ResultRow{u"GB 11-2010", u"新", u"/n/GB 11-2010", Site::Library}));
  const auto queries = testing::requestFields(sites, &testing::RecordedRequest::query);
  EXPECT_EQ(std::count_if(queries.begin(), queries.end(),
                          [](const std::string &query) { return query.find("HOLD") != std::string::npos; }),
            1);  // no second attempt after the abort
}

TEST_F(QueryJobTest, AStopEndsAHeldRequestAndTheTenWaitsAtOnce) {
  // A portal request the stand-in holds.
  site = Site::Portal;
  input = u"GB 5-HOLD";
  sites.setPortalSearch("GB 5-HOLD", {testing::delayed(portalHit("GB 5-HOLD 五", "/gb/5"), 10min)});
  startOnUi();
  ASSERT_TRUE(eventually([&] { return received("HOLD"); }));
  stopAndExpectNothingMore();
  EXPECT_EQ(table.row(0), ResultRow{});

  // The waits before the library site's second attempt.
  site = Site::Library;
  input = u"GB 6-2000";
  job.settings.retryWait = 10min;
  sites.clearRequests();
  startOnUi();
  ASSERT_TRUE(eventually([&] { return logNow().back() == u"caption:" + kLoading + u">"; }));
  stopAndExpectNothingMore();
  EXPECT_EQ(sites.requests().size(), 1u);
}

// A site that keeps sending a little, never enough to finish, is one that did not answer once the
// bound on a search request has passed.
TEST_F(QueryJobTest, ASearchRequestEndsWithinItsBoundWhateverTheSiteSends) {
  RawAnswer trickled = libraryHit("GB 7 七", "/s/7.html");
  trickled.trickle = 20ms;
  sites.setLibrarySearch("GB 7", {trickled});
  sites.setPortalSearch("GB 7", {trickled});
  job.settings.http.totalTime = 300ms;
  for (const Site chosen : kSites) {
    site = chosen;
    input = u"GB 7";
    check();
    EXPECT_EQ(texts.back(), kNotFound + u"\n");
    EXPECT_NE(table.row(0).error, u"");
  }
}

// The one cut of the entered list that the check, the progress line and the headless check share.
TEST(EnteredLines, AreTheCleanedLinesFirstTwoTabFieldsWithoutOuterSpaces) {
  struct Case {
    std::u16string input;
    std::vector<EnteredLine> lines;
  };
  const std::vector<Case> cases{
      {u"", {{u"", u""}}},
      {u"\r\n\r\n", {{u"", u""}}},
      {u" GB 1-2000 \t 一 \t三\t四\r\n\r\n\t只有名称\t",
       {{u"GB 1-2000", u"一"}, {u"", u""}, {u"", u"只有名称"}}},
      {u"GB 1\n\nGB 2\rGB 3\t\n", {{u"GB 1", u""}, {u"GB 2", u""}, {u"GB 3", u""}}},
      {u"\t\t\n\u3000GB 4\u3000", {{u"", u""}, {u"\u3000GB 4\u3000", u""}}},
  };
  for (const Case &one : cases) {
    SCOPED_TRACE(toUtf8(one.input));
    EXPECT_EQ(enteredLines(one.input), one.lines);
  }
}

}  // namespace
}  // namespace hengdian
