#include "ui/download_tab.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
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
    window->table.resize(3);
    window->table.setRow(0, {u"GB/T 1-2001", u"一号", u"/standard/a1.html", Site::Library});
    window->table.setRow(1, {u"GB 2", u"二号", u"https://portal.example/2", Site::Portal});
    window->table.setRow(2, {u"GB 3", u"", u"", Site::Library});
    window->setResultsText(u"line 0\nline 1\nline 2\n");
    sites.setLibraryPath("/files/a1.pdf", testing::pageAnswer("application/pdf", "%PDF-one"));
    sites.setDownload("a1", {testing::redirectAnswer("/files/a1.pdf")});
    window->downloads.folderField->ChangeValue(toWx(folder.path().u16string() + u"/"));
    window->downloads.ruleField->ChangeValue(toWx(u"[标准代号1].[扩展名]"));
  }

  std::vector<std::u16string> logLines() const {
    std::vector<std::u16string> lines;
    for (int i = 0; i < window->downloads.downloadLog->GetNumberOfLines(); ++i)
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

  press(window->downloads.confirmButton);
  EXPECT_EQ(window->mainPanel->GetSelection(), 0);
  EXPECT_FALSE(window->downloads.confirmButton->IsShown());
  const std::u16string saved = folder.path().u16string() + u"/GBT 1-2001.pdf";
  EXPECT_EQ(testing::readFileBytes(std::filesystem::path(saved)), "%PDF-one");
  EXPECT_EQ(
      logLines(),
      (std::vector<std::u16string>{u"2024-05-01 13:45:07：下载GB/T 1-2001 一号成功，保存路径：" + saved}));
  EXPECT_EQ(boxes, (std::vector<std::u16string>{u"plain:下载GB/T 1-2001 一号成功，保存路径：" + saved}));
}

TEST_F(DownloadTabTest, ABatchLogsEveryRowNewestOnTop) {
  window->downloads.noticeBox->SetValue(false);
  caretToLine(0);
  choose(MenuDownloadAll);
  press(window->downloads.confirmButton);
  const std::vector<std::u16string> lines = logLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines.front(), u"2024-05-01 13:45:07：批量下载标准完成。");
  EXPECT_EQ(lines.back(), u"2024-05-01 13:45:07：批量下载标准开始：");
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(window->downloads.confirmButton->IsEnabled());
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
  for (const testing::RecordedRequest &request : sites.requests())
    EXPECT_EQ(request.query, "auth=a1");
}

}  // namespace
}  // namespace hengdian
