#include "ui/report_tab.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/list_check.h"
#include "support/stand_in_samples.h"
#include "ui/window_test_support.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using testing::pumpFor;
using testing::pumpUntil;

/// The window after a check of the stand-in sites' samples, with the 标准查新 tab in front.
class ReportTabTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    testing::serveSamples(sites);
    check();
    window->mainPanel->SetSelection(2);
  }

  void check() {
    window->search.inputEditor->ChangeValue(toWx(kSamples));
    press(window->search.checkButton);
    ASSERT_TRUE(pumpUntil([&] { return caption() == kCaptionDone; }));
  }

  /// Presses "查找现行版本" and waits for the look to end.
  void findCurrent() {
    press(tab().searchButton);
    ASSERT_TRUE(pumpUntil([&] { return !tab().cancelButton->IsShown(); }));
  }

  ReportTab &tab() { return window->report; }
  std::u16string cell(long row, long column) { return fromWx(tab().list->GetItemText(row, column)); }
  int rows() { return tab().list->GetItemCount(); }

  static constexpr std::u16string_view kSamples =
      u"GB/T 5490-2010\t粮油检验 一般规则\nGB/T 5491-1985\nGB/T 99999-2099";
};

TEST_F(ReportTabTest, TheCheckFillsTheTableWithEachStateInWordAndColourAndTheFilterShowsWhatNeedsAttention) {
  EXPECT_EQ(fromWx(window->mainPanel->GetPageText(2)), u"标准查新");
  EXPECT_EQ(tab().list->GetColumnCount(), 9);
  const std::vector<std::tuple<std::u16string, std::u16string, EntryState>> expected = {
      {u"GB/T 5490-2010", u"现行有效", EntryState::InForce},
      {u"GB/T 5491-1985", u"已经废止", EntryState::Withdrawn},
      {u"GB/T 99999-2099", u"未查询到", EntryState::NotFound}};
  ASSERT_EQ(rows(), 3);
  for (long row = 0; row < 3; ++row) {
    const auto &[code, status, state] = expected[static_cast<std::size_t>(row)];
    EXPECT_EQ(cell(row, 1), code);
    EXPECT_EQ(cell(row, 4), status);
    EXPECT_EQ(tab().list->OnGetItemAttr(row)->GetBackgroundColour(),
              wxColour((stateLook(state).fill >> 16) & 0xFF, (stateLook(state).fill >> 8) & 0xFF,
                       stateLook(state).fill & 0xFF));
  }
  tab().filterChooser->SetSelection(1);
  wxCommandEvent chosen(wxEVT_CHOICE, tab().filterChooser->GetId());
  tab().filterChooser->GetEventHandler()->ProcessEvent(chosen);
  EXPECT_EQ(rows(), 2);
  EXPECT_EQ(cell(0, 1), u"GB/T 5491-1985");
  wxListEvent activated(wxEVT_LIST_ITEM_ACTIVATED, tab().list->GetId());
  activated.m_itemIndex = 0;
  tab().list->GetEventHandler()->ProcessEvent(activated);
  EXPECT_EQ(opened, std::vector<std::u16string>{libraryUrl("/standard/sort/3/9637.html")});
}

TEST_F(ReportTabTest, TheLookForTheVersionsInForceFillsItsColumns) {
  findCurrent();
  EXPECT_EQ(tab().list->GetColumnCount(), 12);
  const std::vector<std::u16string> current = {u"GB/T 5490-2010", u"GB/T 5491-2020", u"没有找到现行版本"};
  for (long row = 0; row < 3; ++row)
    EXPECT_EQ(cell(row, 9), current[static_cast<std::size_t>(row)]);
}

// A look cancelled, and a look cut short by a new check: neither shows anything afterwards, and the
// new check's table starts empty.
TEST_F(ReportTabTest, ACancelOrANewCheckStopsTheLook) {
  sites.setLibrarySearch("GB/T 5491",
                         {testing::delayed(testing::libraryHit("GB/T 5491-2020 甲", "/2"), 1500ms)});
  for (wxButton *stopper : {tab().cancelButton, window->search.checkButton}) {
    press(tab().searchButton);
    ASSERT_TRUE(pumpUntil([&] { return cell(0, 9) == u"GB/T 5490-2010"; }));
    EXPECT_TRUE(tab().cancelButton->IsShown());
    press(stopper);
    EXPECT_FALSE(tab().cancelButton->IsShown());
    if (stopper == tab().cancelButton) {
      pumpFor(2000ms);
      EXPECT_EQ(cell(1, 9), u"");
      continue;
    }
    EXPECT_EQ(rows(), 0);
    ASSERT_TRUE(pumpUntil([&] { return caption() == kCaptionDone; }));
    pumpFor(2000ms);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(tab().list->GetColumnCount(), 9);
    EXPECT_EQ(window->reportTable.entries[1].current.standing, CurrentStanding::NotSought);
  }
}

// The CSV is what the command line's check with --current writes for the same list.
TEST_F(ReportTabTest, TheExportedCsvIsTheCommandLinesAndAFailedWriteIsShown) {
  findCurrent();
  testing::TempFolder folder("report-tab");
  exportFile = (folder.path() / "标准查新.csv").u16string();
  press(tab().exportButton);

  QuerySettings settings;
  settings.hosts = {{u16(sites.libraryHost()), u16(sites.portalHost())}};
  settings.http.caFile = http.caFile;
  settings.retryWait = 1ms;
  StopFlag stop;
  std::string expected = csvHeader(true);
  ListCheckHooks hooks;
  hooks.onEntry = [&](std::size_t, CheckedEntry &entry) {
    expected += csvRow(entry, true);
    return true;
  };
  checkList(enteredLines(kSamples), Site::Library, settings, {.findCurrent = true}, stop, hooks);
  EXPECT_EQ(testing::readFileBytes(folder.path() / "标准查新.csv"), expected);

  exportFile = (folder.path() / "missing" / "标准查新.xlsx").u16string();
  press(tab().exportButton);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].starts_with(u"error:导出失败：" + exportFile));
}

}  // namespace
}  // namespace hengdian
