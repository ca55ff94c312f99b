#include "ui/download_tab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "ui/window_test_support.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using testing::pumpUntil;
using testing::WindowTest;

/// A window whose table holds a library row, a portal row and a not-found row, each file of the
/// library served by the stand-in.
class DownloadTabTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    fillTable();
    window->setResultsText(u"line 0\nline 1\nline 2\n");
    sites.setLibraryPath("/files/a1.pdf", testing::pageAnswer("application/pdf", "%PDF-one"));
    sites.setDownload("a1", {testing::redirectAnswer("/files/a1.pdf")});
    window->downloads.folderField->ChangeValue(toWx(folder.path().u16string() + u"/"));
    window->downloads.ruleField->ChangeValue(toWx(u"[标准代号1].[扩展名]"));
  }

  void fillTable() {
    window->table.resize(3);
    window->table.setRow(0, {u"GB/T 1-2001", u"一号", u"/standard/a1.html", Site::Library});
    window->table.setRow(1, {u"GB 2", u"二号", u"https://portal.example/2", Site::Portal});
    window->table.setRow(2, {u"GB 3", u"", u"", Site::Library});
  }

  /// Presses the confirm button, noting whether it was enabled whenever the run served events.
  std::vector<bool> confirm() {
    std::vector<bool> enabled;
    duringDownload = [&] { enabled.push_back(window->downloads.confirmButton->IsEnabled()); };
    press(window->downloads.confirmButton);
    duringDownload = nullptr;
    EXPECT_EQ(window->mainPanel->GetSelection(), 0);
    EXPECT_FALSE(window->downloads.confirmButton->IsShown());
    EXPECT_TRUE(window->downloads.confirmButton->IsEnabled());
    return enabled;
  }

  std::vector<std::u16string> logLines() const {
    std::vector<std::u16string> lines;
    for (int i = 0;
         !window->downloads.downloadLog->IsEmpty() && i < window->downloads.downloadLog->GetNumberOfLines();
         ++i)
      lines.push_back(fromWx(window->downloads.downloadLog->GetLineText(i)));
    return lines;
  }

  testing::TempFolder folder{"hengdian-tab-"};
};

TEST_F(DownloadTabTest, ArmingShowsTheConfirmButtonAndConfirmingRunsAndReturns) {
  // Opened by hand, the tab offers nothing to start.
  window->mainPanel->SetSelection(1);
  EXPECT_FALSE(window->downloads.confirmButton->IsShown());
  window->mainPanel->SetSelection(0);

  caretToLine(1);  // a portal row arms nothing
  choose(MenuDownloadOne);
  EXPECT_EQ(window->mainPanel->GetSelection(), 0);
  EXPECT_FALSE(window->downloads.confirmButton->IsShown());

  caretToLine(0);
  choose(MenuDownloadOne);
  EXPECT_EQ(window->mainPanel->GetSelection(), 1);
  EXPECT_TRUE(window->downloads.confirmButton->IsShown());

  confirm();
  const std::u16string saved = folder.path().u16string() + u"/GBT 1-2001.pdf";
  EXPECT_EQ(testing::readFileBytes(std::filesystem::path(saved)), "%PDF-one");
  EXPECT_EQ(
      logLines(),
      (std::vector<std::u16string>{u"2024-05-01 13:45:07：下载GB/T 1-2001 一号成功，保存路径：" + saved}));
  EXPECT_EQ(boxes, (std::vector<std::u16string>{u"plain:下载GB/T 1-2001 一号成功，保存路径：" + saved}));
}

// A row beyond the table, armed there or left there by a later check, reads as an empty library
// row; a portal row chosen after arming changes nothing.
TEST_F(DownloadTabTest, ASingleRunLogsItsRowAndShowsItsBoxOnlyWhenTicked) {
  enum class Shorten { No, BeforeArming, AfterArming };
  const std::u16string saved =
      u"下载GB/T 1-2001 一号成功，保存路径：" + folder.path().u16string() + u"/GBT 1-2001.pdf";
  const std::u16string failed = u"失败：文件下载失败。";
  // {line armed, when the table shrinks to one row, notice ticked, log text after the stamp, box}
  const std::vector<std::tuple<long, Shorten, bool, std::u16string, std::u16string>> rows{
      {0, Shorten::No, true, saved, u"plain:" + saved},
      {0, Shorten::No, false, saved, u""},
      {2, Shorten::No, true, u"下载GB 3 " + failed, u"error:下载GB 3 " + failed},
      {2, Shorten::BeforeArming, true, u"下载 " + failed, u"error:下载 " + failed},
      {2, Shorten::AfterArming, true, u"下载 " + failed, u"error:下载 " + failed},
  };
  for (const auto &[line, shorten, notify, text, box] : rows) {
    SCOPED_TRACE(toUtf8(text));
    fillTable();
    window->downloads.downloadLog->Clear();
    boxes.clear();
    window->downloads.noticeBox->SetValue(notify);
    if (shorten == Shorten::BeforeArming) window->table.resize(1);
    caretToLine(line);
    choose(MenuDownloadOne);
    EXPECT_EQ(window->mainPanel->GetSelection(), 1);
    EXPECT_TRUE(window->downloads.confirmButton->IsShown());
    if (shorten == Shorten::No) {
      caretToLine(1);
      choose(MenuDownloadAll);
    }
    if (shorten == Shorten::AfterArming) window->table.resize(1);
    EXPECT_EQ(std::ranges::count(confirm(), false), 0);
    EXPECT_EQ(logLines(), std::vector<std::u16string>{u"2024-05-01 13:45:07：" + text});
    EXPECT_EQ(boxes, box.empty() ? std::vector<std::u16string>() : std::vector<std::u16string>{box});
  }
}

TEST_F(DownloadTabTest, ABatchLogsEveryRowNewestOnTop) {
  window->downloads.noticeBox->SetValue(false);
  caretToLine(0);
  choose(MenuDownloadAll);
  confirm();
  const std::vector<std::u16string> lines = logLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines.front(), u"2024-05-01 13:45:07：批量下载标准完成。");
  EXPECT_EQ(lines.back(), u"2024-05-01 13:45:07：批量下载标准开始：");
  EXPECT_TRUE(boxes.empty());
}

// Before any check the table holds two empty entries, and a batch tries the first; a table without
// rows to download gives nothing but the return to the search tab. The confirm button is disabled
// while a batch runs.
TEST_F(DownloadTabTest, ABatchCoversEveryEntryButTheLastAndEndsWithItsBox) {
  const std::u16string stamp = u"2024-05-01 13:45:07：";
  // {lines of the table, log, requests made}
  const std::vector<std::tuple<std::size_t, std::vector<std::u16string>, std::vector<std::string>>> rows{
      {1,
       {stamp + u"批量下载标准完成。", stamp + u"下载 失败：文件下载失败。", stamp + u"批量下载标准开始："},
       {"auth=", "auth="}},
      {0, {}, {}},
  };
  for (const auto &[lines, log, requests] : rows) {
    SCOPED_TRACE(lines);
    window->table.resize(lines);
    window->table.setRow(0, {});
    window->downloads.downloadLog->Clear();
    sites.clearRequests();
    boxes.clear();
    caretToLine(0);
    choose(MenuDownloadAll);
    const std::vector<bool> enabled = confirm();
    EXPECT_EQ(enabled, std::vector<bool>(enabled.size(), false));
    EXPECT_EQ(enabled.empty(), log.empty());
    EXPECT_EQ(logLines(), log);
    EXPECT_EQ(testing::requestFields(sites, &testing::RecordedRequest::query), requests);
    EXPECT_EQ(boxes, log.empty() ? std::vector<std::u16string>()
                                 : std::vector<std::u16string>{u"plain:批量下载标准完成。"});
  }
}

TEST_F(DownloadTabTest, AClosingWindowEndsTheBatchAfterTheDownloadInProgress) {
  // The user closes the window while the first file is fetched; the next rows are never asked for.
  sites.setDownload("a1", {testing::pageAnswer("application/octet-stream", "untyped")});
  window->table.setRow(2, {u"GB 3", u"三号", u"/standard/a3.html", Site::Library});
  caretToLine(0);
  choose(MenuDownloadAll);
  bool destroyed = false;
  window->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent &event) {
    destroyed = destroyed || event.GetEventObject() == window;
    event.Skip();
  });
  duringDownload = [&] {
    if (!destroyed && window) window->Close();
  };
  press(window->downloads.confirmButton);
  ASSERT_TRUE(pumpUntil([&] { return destroyed; }, 5s));
  window = nullptr;
  EXPECT_TRUE(boxes.empty());
  for (const testing::RecordedRequest &request : sites.requests())
    EXPECT_EQ(request.query, "auth=a1");
}

}  // namespace
}  // namespace hengdian
