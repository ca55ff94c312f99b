#include "ui/main_window.h"

#include <gtest/gtest.h>
#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/desktop_folder.h"
#include "ui/row_menu.h"
#include "ui/window_test_support.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using testing::libraryHit;
using testing::portalHit;
using testing::pumpFor;
using testing::pumpUntil;
using testing::WindowTest;

const std::u16string kNotFound = u"【★未查询到该标准!】";

/// Every frame and editor where the layout puts it for the current page and pane sizes.
void expectLaidOut(const MainWindow &window) {
  const wxSize page = window.search.page->GetClientSize();
  const SearchTab &tab = window.search;
  EXPECT_EQ(tab.paneSplitter->GetRect(), wxRect(0, 35, page.x, page.y - 35));
  const int left = tab.inputPane->GetSize().x;
  const int right = tab.resultsPane->GetSize().x;
  EXPECT_EQ(left + right + kSplitterBarWidth, page.x);
  EXPECT_EQ(tab.inputFrame->GetRect(), wxRect(5, 5, left - 10, page.y - 45));
  EXPECT_EQ(tab.inputEditor->GetRect(), wxRect(10, 25, left - 20, page.y - 70));
  EXPECT_EQ(tab.resultsFrame->GetRect(), wxRect(5, 5, right - 10, page.y - 45));
  EXPECT_EQ(tab.resultsEditor->GetRect(), wxRect(10, 25, right - 20, page.y - 70));
  const DownloadTab &downloads = window.downloads;
  EXPECT_EQ(downloads.namingHelp->GetRect(), wxRect(10, 68, page.x - 20, page.y - 68 - 190));
  EXPECT_EQ(downloads.noticeBox->GetPosition(), wxPoint(10, page.y - 185));
  EXPECT_EQ(downloads.confirmButton->GetPosition(), wxPoint(120, page.y - 185));
  EXPECT_EQ(downloads.downloadLog->GetRect(), wxRect(10, page.y - 155, page.x - 20, 150));
  // The top rows never move.
  EXPECT_EQ(tab.siteLabel->GetPosition(), wxPoint(10, 9));
  EXPECT_EQ(tab.siteChooser->GetPosition(), wxPoint(130, 5));
  EXPECT_EQ(tab.checkButton->GetRect(), wxRect(225, 5, 120, 25));
  EXPECT_EQ(downloads.folderButton->GetRect(), wxRect(325, 5, 100, 25));
}

TEST_F(WindowTest, StartsWithItsTextsAndDefaults) {
  EXPECT_EQ(window->GetClientSize(), wxSize(1280, 700));
  // Six sizes on GTK; on Windows only the program's resources hold the icon, not the tests'.
  EXPECT_EQ(window->GetIcons().GetIconCount(), wxPlatformInfo::Get().GetPortId() == wxPORT_GTK ? 6u : 0u);
  EXPECT_EQ(window->mainPanel->GetPageCount(), 3u);
  EXPECT_EQ(window->mainPanel->GetSelection(), 0);
  const SearchTab &search = window->search;
  const DownloadTab &downloads = window->downloads;
  EXPECT_EQ(search.siteChooser->GetCount(), 2u);
  EXPECT_EQ(downloads.namingHelp->GetNumberOfLines(), 8);
  // Every text as the user reads it at start-up.
  const std::vector<std::pair<wxString, std::u16string>> shown = {
      {window->GetTitle(), u"衡典 v3.6"},
      {window->mainPanel->GetPageText(0), u"衡典"},
      {window->mainPanel->GetPageText(1), u"标准下载设置"},
      {search.siteLabel->GetLabelText(), u"选择标准检索网站："},
      {search.siteChooser->GetStringSelection(), u"食品伙伴网"},
      {search.siteChooser->GetString(1), u"中国标网"},
      {search.checkButton->GetLabelText(), u"检查标准信息"},
      {search.inputFrame->GetLabelText(), u"输入需检查的标准信息"},
      {search.resultsFrame->GetLabelText(), u"查询得到信息"},
      {downloads.folderLabel->GetLabelText(), u"标准下载文件夹："},
      {downloads.folderField->GetValue(), desktopFolder()},
      {downloads.folderButton->GetLabelText(), u"选择下载目录"},
      {downloads.ruleLabel->GetLabelText(), u"标准命名规则："},
      {downloads.ruleField->GetValue(), u"[标准代号2] [标准名称].[扩展名]"},
      {downloads.namingHelp->GetLineText(0), u"标准命名规则说明："},
      {downloads.namingHelp->GetLineText(2),
       u"[标准代号1]会被替换为没有“/”的标准号和年代号，例如：GBT 5490-2010；"},
      {downloads.namingHelp->GetLineText(6),
       u"[标准名称]会被替换为标准的实际名称，例如：粮油检验 一般规则；"},
      {downloads.noticeBox->GetLabelText(), u"下载完成时弹窗提示"},
      {downloads.downloadLog->GetValue(), u""},
  };
  for (const auto &[text, expected] : shown)
    EXPECT_EQ(fromWx(text), expected);
  const std::vector<std::u16string> menu = {u"查看标准网页", u"预览标准", u"下载当前标准", u"批量下载标准",
                                            u"取消操作"};
  for (int id = 1; id <= 5; ++id)
    EXPECT_EQ(fromWx(window->popupMenu->GetLabelText(id)), menu[id - 1]);
  EXPECT_FALSE(downloads.folderField->IsEnabled());
  EXPECT_TRUE(downloads.noticeBox->GetValue());
  EXPECT_FALSE(downloads.confirmButton->IsShown());
}

TEST_F(WindowTest, LayoutFollowsTheWindowAndTheSplitterBar) {
  const int startLeft = window->search.inputPane->GetSize().x;
  const wxSize page = window->search.page->GetClientSize();
  EXPECT_EQ(startLeft, initialLeftWidth(page.x));
  expectLaidOut(*window);

  // Growing: the results pane takes the whole change in width, both panes the change in height.
  window->SetClientSize(1480, 800);
  pumpUntil([&] { return window->search.page->GetClientSize() == page + wxSize(200, 100); }, 5s);
  pumpFor(100ms);
  EXPECT_EQ(window->search.inputPane->GetSize().x, startLeft);
  expectLaidOut(*window);

  // The bar moves the frames and editors with it.
  window->search.paneSplitter->moveBar(startLeft + 50);
  pumpFor(100ms);
  EXPECT_EQ(window->search.inputPane->GetSize().x, startLeft + 50);
  expectLaidOut(*window);

  // Running the layout again changes nothing.
  const wxRect before = window->search.resultsEditor->GetRect();
  window->layoutMainWindow();
  EXPECT_EQ(window->search.resultsEditor->GetRect(), before);
}

/// Where `pane` is on screen, in its parent's coordinates; empty when it is not shown. GTK's own
/// record, since GTK may keep a window where wx no longer has it.
#ifdef __WXGTK__
wxRect onScreen(wxWindow *pane) {
  GtkWidget *widget = pane->GetHandle();
  if (!gtk_widget_is_visible(widget)) return {};
  GtkAllocation allocation;  // within the parent's own GDK window
  gtk_widget_get_allocation(widget, &allocation);
  return {allocation.x, allocation.y, allocation.width, allocation.height};
}
#else
wxRect onScreen(wxWindow *pane) {
  return pane->IsShown() ? pane->GetRect() : wxRect();
}
#endif

/// The pointer over the splitter at `x`, the left button held or not.
void mouse(PaneSplitter *splitter, wxEventType type, int x, bool held) {
  wxMouseEvent event(type);
  event.SetPosition({x, 100});
  event.SetLeftDown(held);
  event.SetEventObject(splitter);
  splitter->GetEventHandler()->ProcessEvent(event);
  pumpFor(50ms);
}

/// Drags the splitter's bar by the pointer from its middle to `x`; unless `released`, the
/// release goes to another window (outside ours, as some systems do).
void dragBar(PaneSplitter *splitter, int x, bool released = true) {
  mouse(splitter, wxEVT_LEFT_DOWN, splitter->leftWidth() + kSplitterBarWidth / 2, true);
  mouse(splitter, wxEVT_MOTION, x, true);
  if (released) mouse(splitter, wxEVT_LEFT_UP, x, false);
}

TEST_F(WindowTest, APaneWithoutWidthLeavesTheBarFreeAndTheSqueezedLeftPaneKeepsItsWidth) {
  PaneSplitter *splitter = window->search.paneSplitter;
  wxWindow *left = window->search.inputPane;
  wxWindow *right = window->search.resultsPane;
  const int width = splitter->GetClientSize().x;
  // Neither pane covers any of the bar's pixels.
  const auto barIsFree = [&] {
    const wxRect bar(splitter->leftWidth(), 0, kSplitterBarWidth, splitter->GetClientSize().y);
    return !onScreen(left).Intersects(bar) && !onScreen(right).Intersects(bar);
  };
  const auto shownWidth = [](wxWindow *pane) { return onScreen(pane).width; };

  dragBar(splitter, -40);
  EXPECT_EQ(shownWidth(left), 0);
  EXPECT_EQ(onScreen(right),
            wxRect(kSplitterBarWidth, 0, width - kSplitterBarWidth, splitter->GetClientSize().y));
  EXPECT_TRUE(barIsFree());

  // Let go 40 pixels past the right edge, and the pointer moves on to the left.
  dragBar(splitter, width + 40, false);
  mouse(splitter, wxEVT_MOTION, 0, false);
  EXPECT_EQ(shownWidth(right), 0);
  EXPECT_EQ(shownWidth(left), width - kSplitterBarWidth);
  EXPECT_TRUE(barIsFree());

  // At 1000 × 640 dragged back and let go elsewhere, both panes show again; then the window is
  // made as small as it goes and the pointer comes back over it.
  const wxSize page = window->search.page->GetClientSize();
  window->SetClientSize(1000, 640);
  pumpUntil([&] { return window->search.page->GetClientSize().x < page.x; }, 5s);
  dragBar(splitter, 886, false);
  ASSERT_TRUE(left->IsShown() && right->IsShown());
  window->SetClientSize(800, 600);
  pumpUntil([&] { return window->search.page->GetClientSize().x < 900; }, 5s);
  pumpFor(100ms);
  const int squeezed = splitter->GetClientSize().x;
  mouse(splitter, wxEVT_MOTION, squeezed - 100, false);
  ASSERT_LT(squeezed, 886 + kSplitterBarWidth);
  EXPECT_EQ(shownWidth(left), squeezed - kSplitterBarWidth);
  EXPECT_EQ(shownWidth(right), 0);
  EXPECT_TRUE(barIsFree());

  // Grown again, the left pane keeps the width the squeeze left it; the right pane takes the rest.
  window->SetClientSize(1280, 700);
  pumpUntil([&] { return window->search.page->GetClientSize() == page; }, 5s);
  pumpFor(100ms);
  EXPECT_EQ(shownWidth(left), squeezed - kSplitterBarWidth);
  EXPECT_EQ(shownWidth(right), width - squeezed);
  expectLaidOut(*window);
}

TEST_F(WindowTest, TheChooserAndTheCheckBoxShowTheirTextsWholeInTheirSizes) {
  if (wxPlatformInfo::Get().GetPortId() != wxPORT_GTK) GTEST_SKIP() << "the look of GTK's controls";
  // The chooser's best size is that of its widest item.
  for (const auto &[control, size] : std::vector<std::pair<wxWindow *, wxSize>>{
           {window->search.siteChooser, {90, 25}}, {window->downloads.noticeBox, {100, 25}}}) {
    SCOPED_TRACE(control->GetLabel().utf8_string());
    EXPECT_EQ(control->GetSize(), size);
    const wxSize best = control->GetBestSize();
    EXPECT_LE(best.x, size.x);
    EXPECT_LE(best.y, size.y);
  }
}

TEST(PaneSplitter, DividesLikeTheBarSays) {
  testing::expectEach(paneWidths, std::vector<std::tuple<int, int, PaneWidths>>{
                                      {1007, 500, {500, 500}},
                                      {1207, 500, {500, 700}},  // the right pane takes the growth
                                      {400, 500, {393, 0}},     // the left no longer fits
                                      {5, 0, {0, 0}},
                                      {100, 0, {0, 93}},
                                  });
  testing::expectEach(initialLeftWidth, std::vector<std::tuple<int, int>>{{1276, 635}, {1275, 634}, {3, 0}});
}

TEST_F(WindowTest, ACheckThroughTheWindowShowsItsLinesAndFillsTheTable) {
  sites.setLibrarySearch("GB 1", {libraryHit("GB 1-2001 一号", "/standard/2001/a1.html")});
  window->search.inputEditor->ChangeValue(toWx(u"GB 1\tone\nGB 2"));
  press(window->search.checkButton);
  EXPECT_EQ(caption(), u"查询得到信息：正在加载中");
  ASSERT_TRUE(pumpUntil([&] { return caption() == u"查询得到信息：已加载完成。"; }));

  const std::u16string text = resultsText();
  EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), 2);
  EXPECT_NE(text.find(u"GB 1-2001 一号"), std::u16string::npos);
  EXPECT_NE(text.find(kNotFound), std::u16string::npos);
  ASSERT_EQ(window->table.size(), 3u);
  EXPECT_EQ(window->table.row(0).link, u"/standard/2001/a1.html");
  EXPECT_EQ(window->table.row(1).code, u"GB 2");
}

TEST_F(WindowTest, ResultsUpdatesKeepTheUsersCaretAndSelection) {
  window->setResultsText(u"first line\nsecond line\n");
  window->search.resultsEditor->SetSelection(13, 17);
  window->appendResultsText(u"third line\n");
  window->setResultsText(u"first line\nsecond line\nthird line\nfourth\n");
  long from = 0, to = 0;
  window->search.resultsEditor->GetSelection(&from, &to);
  EXPECT_EQ(from, 13);
  EXPECT_EQ(to, 17);
  EXPECT_EQ(resultsText(), u"first line\nsecond line\nthird line\nfourth\n");
}

struct MenuCase {
  long line;
  RowMenuState state;
};

TEST_F(WindowTest, TheMenuOffersWhatTheCaretsRowAllows) {
  window->table.resize(3);
  window->table.setRow(0, {u"GB 1", u"一号", u"/standard/2001/a1.html", Site::Library});
  window->table.setRow(1, {u"GB 2", u"二号", u"https://portal.example/std/2", Site::Portal});
  window->table.setRow(2, {u"GB 3", u"", u"", Site::Library});
  window->setResultsText(u"line 0\nline 1\nline 2\n\nline 4 beyond the table\n");
  for (const MenuCase &menuCase : std::vector<MenuCase>{{0, {true, true, true}},
                                                        {1, {true, false, false}},
                                                        {2, {false, false, false}},
                                                        {4, {false, false, false}}}) {
    SCOPED_TRACE(menuCase.line);
    caretToLine(menuCase.line);
    EXPECT_EQ(window->currentRow(), static_cast<std::size_t>(menuCase.line));
    window->prepareRowMenu();
    EXPECT_EQ(
        (RowMenuState{window->popupMenu->IsEnabled(MenuOpenPage), window->popupMenu->IsEnabled(MenuPreview),
                      window->popupMenu->IsEnabled(MenuDownloadOne)}),
        menuCase.state);
    EXPECT_TRUE(window->popupMenu->IsEnabled(MenuDownloadAll));
    EXPECT_TRUE(window->popupMenu->IsEnabled(MenuCancel));
  }
}

TEST_F(WindowTest, PageCommandsOpenTheCaretsRowAndOnlyWebAddresses) {
  window->table.resize(2);
  window->table.setRow(0, {u"GB 1", u"一号", u"/standard/2001/a1.html", Site::Library});
  window->table.setRow(1, {u"GB 2", u"二号", u"https://portal.example/std/2", Site::Portal});
  window->setResultsText(u"line 0\nline 1\n");
  caretToLine(0);
  choose(MenuPreview);
  choose(MenuOpenPage);
  caretToLine(1);
  choose(MenuPreview);  // a portal row has no preview
  choose(MenuOpenPage);
  const std::u16string host = u16(sites.libraryHost());
  EXPECT_EQ(opened, (std::vector<std::u16string>{u"http://" + host + u"/standard/yulan.php?itemid=a1",
                                                 u"http://" + host + u"/standard/2001/a1.html",
                                                 u"https://portal.example/std/2"}));
}

TEST(RowMenu, OnlyWebAddressesAreOpened) {
  using Address = std::optional<std::u16string>;
  SiteHosts hosts;
  hosts[Site::Library] = u"lib.example:81";
  hosts[Site::Portal] = u"portal.example";
  testing::expectEach(
      [&](Site site, const std::u16string &link) {
        return pageAddress({u"", u"", link, site}, hosts);
      },
      std::vector<std::tuple<Site, std::u16string, Address>>{
          {Site::Library, u"http://a.example/x", u"http://a.example/x"},
          {Site::Portal, u"HTTPS://a.example/x", u"HTTPS://a.example/x"},
          {Site::Library, u"/standard/1.html", u"http://lib.example:81/standard/1.html"},
          {Site::Portal, u"/standard/1.html", std::nullopt},  // its links are absolute
          {Site::Library, u"file:///etc/passwd", std::nullopt},
          {Site::Library, u"C:\\Windows\\system32\\calc.exe", std::nullopt},
          {Site::Library, u"\\\\server\\share\\x.exe", std::nullopt},
          {Site::Portal, u"javascript:alert(1)", std::nullopt},
          {Site::Library, u"httpx://a", std::nullopt},
          {Site::Library, u"", std::nullopt},
      });
}

TEST_F(WindowTest, TheFolderChooserReplacesTheFolderOnlyWithAFolder) {
  const std::u16string start = fromWx(window->downloads.folderField->GetValue());
  for (const auto &[answer, shown] : std::vector<std::pair<std::u16string, std::u16string>>{
           {u"", start}, {u"/", start}, {u"/tmp/下载/", u"/tmp/下载/"}}) {
    chosenFolder = answer;
    press(window->downloads.folderButton);
    EXPECT_EQ(fromWx(window->downloads.folderField->GetValue()), shown);
  }
}

TEST_F(WindowTest, ClosingDuringAHeldRequestEndsAtOnce) {
  sites.setLibrarySearch("GB 1", {testing::delayed(libraryHit("GB 1-2001 一号", "/a1.html"), 30s)});
  window->search.inputEditor->ChangeValue(toWx(u"GB 1"));
  press(window->search.checkButton);
  ASSERT_TRUE(pumpUntil([&] { return !sites.requests().empty(); }));

  const auto start = std::chrono::steady_clock::now();
  bool destroyed = false;
  window->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent &event) {
    if (event.GetEventObject() == window) destroyed = true;
    event.Skip();
  });
  window->Close();
  ASSERT_TRUE(pumpUntil([&] { return destroyed; }, 5s));
  window = nullptr;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  pumpFor(100ms);  // whatever the abandoned worker posts now finds no window
}

}  // namespace
}  // namespace hengdian
