#include "lookup/report_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/list_check.h"
#include "runtime/code_page.h"
#include "support/test_helpers.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;

/// An entry of the library site whose first record has `marker`, `status` and `title`; no
/// record when `status` is empty, and `error` as why the site did not answer.
CheckedEntry entryOf(std::u16string code, MatchMarker marker, std::u16string status,
                     std::u16string title = u"", std::u16string error = u"") {
  CheckedEntry entry;
  entry.entered.code = code;
  entry.row.code = code;
  entry.row.error = error;
  if (!status.empty()) entry.records.push_back({marker, status, title, u"", u"", u"/" + code});
  return entry;
}

ReportTable tableOf(const std::vector<CheckedEntry> &entries) {
  ReportTable table;
  for (const CheckedEntry &entry : entries)
    addReportEntry(table, entry);
  return table;
}

TEST(ReportTable, TheStatusCellNamesEveryStateAndAttentionLeavesOnlyEntriesInForceUnderTheirCode) {
  struct Case {
    CheckedEntry entry;
    std::u16string statusCell;
    bool attention;
  };
  const std::vector<Case> cases = {
      {entryOf(u"A", MatchMarker::SameCodeSameName, u"现行有效"), u"现行有效", false},
      {entryOf(u"B", MatchMarker::OtherCode, u"现行有效"), u"现行有效", true},
      {entryOf(u"C", MatchMarker::SameCode, u"已经废止"), u"已经废止", true},
      {entryOf(u"D", MatchMarker::SameCode, u"即将实施"), u"即将实施", true},
      {entryOf(u"E", MatchMarker::SameCode, u""), u"未查询到", true},
      {entryOf(u"F", MatchMarker::SameCode, u"", u"", u"timed out"), u"站点未应答", true},
  };
  std::vector<CheckedEntry> entries;
  std::vector<std::size_t> attention;
  for (const Case &row : cases) {
    if (row.attention) attention.push_back(entries.size());
    entries.push_back(row.entry);
  }
  ReportTable table = tableOf(entries);
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(reportCell(table, i, 4), cases[i].statusCell) << i;
  setReportFilter(table, ReportFilter::NeedsAttention);
  EXPECT_EQ(table.shown, attention);
  addReportEntry(table, entryOf(u"G", MatchMarker::SameCode, u"现行有效"));
  addReportEntry(table, entryOf(u"H", MatchMarker::SameCode, u"已经废止"));
  attention.push_back(7);
  EXPECT_EQ(table.shown, attention);
}

// Sorted by title: ties keep their input order both ways, a second click reverses, and a row added
// later goes where the sort puts it.
TEST(ReportTable, SortingIsStableAndASecondClickReverses) {
  ReportTable table = tableOf({entryOf(u"A", MatchMarker::SameCode, u"现行有效", u"乙"),
                               entryOf(u"B", MatchMarker::SameCode, u"现行有效", u"甲"),
                               entryOf(u"C", MatchMarker::SameCode, u"现行有效", u"乙"),
                               entryOf(u"D", MatchMarker::SameCode, u"现行有效", u"丙")});
  const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> clicks = {
      {5, {3, 0, 2, 1}}, {5, {1, 0, 2, 3}}, {0, {0, 1, 2, 3}}, {0, {3, 2, 1, 0}}, {5, {3, 0, 2, 1}}};
  for (const auto &[column, order] : clicks) {
    sortReportBy(table, column);
    EXPECT_EQ(table.shown, order) << column;
  }
  addReportEntry(table, entryOf(u"E", MatchMarker::SameCode, u"现行有效", u"乙"));
  EXPECT_EQ(table.shown, (std::vector<std::size_t>{3, 0, 2, 4, 1}));
}

class CurrentVersionsTest : public testing::SitesTest {
 protected:
  CurrentVersionsTest() {
    settings.hosts = {{u16(sites.libraryHost()), u16(sites.portalHost())}};
    settings.http.caFile = http.caFile;
    sites.setLibrarySearch("GB/T 5491", {testing::utf8Page(testing::libraryResultPage(
                                            {{"GB/T 5491-1985 扦样", "yjfz", "1986", "1", "/1"},
                                             {"GB/T 5491-2020 扦样", "xxyx", "2021", "2", "/2"}}))});
    testing::RawAnswer failed = testing::utf8Page("");
    failed.status = 500;
    sites.setLibrarySearch("GB 7", {failed});
  }

  std::vector<std::string> run(std::vector<CheckedEntry> &entries, int jobs) {
    std::vector<std::string> found;
    complete =
        findCurrentVersions(entries, settings, jobs, stop, [&](std::size_t index, const CheckedEntry &entry) {
          const CurrentVersion *version = versionInForce(entry.current);
          found.push_back(std::to_string(index) + " " +
                          std::to_string(static_cast<int>(entry.current.standing)) + " " +
                          (version ? toUtf8(version->code) : "-"));
          if (stopAfterFirst) stop.requestStop();
        });
    std::sort(found.begin(), found.end());
    return found;
  }

  QuerySettings settings;
  StopFlag stop;
  bool stopAfterFirst = false;
  bool complete = false;
};

// Two codes of one stem and the stem itself (which kept only its first record) share one search;
// an entry in force needs none; an unanswered search says so.
TEST_F(CurrentVersionsTest, EntriesOfOneStemShareOneSearchAndAnUnansweredSearchSaysSo) {
  std::vector<CheckedEntry> entries = {entryOf(u"GB/T 5491-1985", MatchMarker::SameCode, u"已经废止"),
                                       entryOf(u"GB/T 5491-1990", MatchMarker::SameCode, u"已经废止"),
                                       entryOf(u"GB/T 5491", MatchMarker::SameCode, u"已经废止"),
                                       entryOf(u"GB 7-2000", MatchMarker::SameCode, u""),
                                       entryOf(u"GB 8-2000", MatchMarker::SameCode, u"现行有效")};
  entries[4].records.front().title = u"GB 8-2000 规则";
  EXPECT_EQ(run(entries, 4), (std::vector<std::string>{"0 2 GB/T 5491-2020", "1 2 GB/T 5491-2020",
                                                       "2 2 GB/T 5491-2020", "3 5 -", "4 1 GB 8-2000"}));
  EXPECT_TRUE(complete);
  EXPECT_EQ(sites.requests().size(), 2u);
  EXPECT_FALSE(entries[3].current.error.empty());
}

TEST_F(CurrentVersionsTest, AStopHandsOverNothingMore) {
  std::vector<CheckedEntry> entries;
  for (int i = 1; i <= 4; ++i) {
    const std::string code = "GB " + std::to_string(i);
    sites.setLibrarySearch(
        code, {testing::delayed(testing::libraryHit(code + "-2000 甲", "/1"), i == 1 ? 0ms : 500ms)});
    entries.push_back(entryOf(u16(code + "-1990"), MatchMarker::SameCode, u"已经废止"));
  }
  stopAfterFirst = true;
  EXPECT_EQ(run(entries, 4), (std::vector<std::string>{"0 2 GB 1-2000"}));
  EXPECT_FALSE(complete);
}

}  // namespace
}  // namespace hengdian
