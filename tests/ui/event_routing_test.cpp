#include "ui/event_routing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/site.h"

namespace hengdian {
namespace {

struct RouteCase {
  AppEvent event;
  std::int32_t currentRowSite;
  bool goOn;
  std::string command;  // the command carried out, "" for none
};

TEST(EventRouting, EachEventReachesItsCommandOnlyWhenItsConditionHolds) {
  const std::vector<RouteCase> cases = {
      {{EventKind::CloseRequest, EventSource::MainWindow, 0}, 0, false, ""},
      {{EventKind::RightButtonReleased, EventSource::None, 0}, 1, true, "showRowMenu"},
      {{EventKind::Command, EventSource::CheckButton, 0}, 0, true, "startCheck"},
      {{EventKind::Command, EventSource::FolderButton, 0}, 0, true, "chooseDownloadFolder"},
      {{EventKind::Command, EventSource::ConfirmButton, 0}, 0, true, "confirmDownload"},
      {{EventKind::Command, EventSource::OtherControl, 0}, 0, true, ""},
      {{EventKind::Command, EventSource::SearchCurrentButton, 0}, 0, true, "findCurrentVersions"},
      {{EventKind::Command, EventSource::CancelSearchButton, 0}, 0, true, "cancelCurrentSearch"},
      {{EventKind::Command, EventSource::ExportButton, 0}, 0, true, "exportReport"},
      {{EventKind::MenuChoice, EventSource::None, MenuOpenPage}, 1, true, "openRowPage"},
      {{EventKind::MenuChoice, EventSource::None, MenuPreview}, 0, true, "openRowPreview"},
      {{EventKind::MenuChoice, EventSource::None, MenuPreview}, 1, true, ""},
      {{EventKind::MenuChoice, EventSource::None, MenuDownloadOne}, 0, true, "armSingleDownload"},
      {{EventKind::MenuChoice, EventSource::None, MenuDownloadOne}, 1, true, ""},
      {{EventKind::MenuChoice, EventSource::None, MenuDownloadAll}, 0, true, "armBatchDownload"},
      {{EventKind::MenuChoice, EventSource::None, MenuDownloadAll}, 1, true, ""},
      {{EventKind::MenuChoice, EventSource::None, MenuCancel}, 0, true, ""},
      {{EventKind::Other, EventSource::None, 0}, 0, true, ""},
  };
  for (const RouteCase &routeCase : cases) {
    std::vector<std::string> ran;
    const auto note = [&ran](const char *name) { return [&ran, name] { ran.push_back(name); }; };
    AppCommands commands{
        note("showRowMenu"),         note("startCheck"),          note("chooseDownloadFolder"),
        note("confirmDownload"),     note("openRowPage"),         note("openRowPreview"),
        note("armSingleDownload"),   note("armBatchDownload"),    nullptr,
        note("findCurrentVersions"), note("cancelCurrentSearch"), note("exportReport")};
    commands.currentRowSite = [&] { return siteAt(routeCase.currentRowSite); };
    SCOPED_TRACE(static_cast<int>(routeCase.event.kind) * 100 + routeCase.event.menuId);
    EXPECT_EQ(dispatchEvent(routeCase.event, commands), routeCase.goOn);
    EXPECT_EQ(ran, routeCase.command.empty() ? std::vector<std::string>{}
                                             : std::vector<std::string>{routeCase.command});
  }
}

TEST(EventRouting, MissingCommandsDoNothing) {
  EXPECT_TRUE(dispatchEvent({EventKind::MenuChoice, EventSource::None, MenuDownloadAll}, AppCommands{}));
  EXPECT_TRUE(dispatchEvent({EventKind::Command, EventSource::CheckButton, 0}, AppCommands{}));
}

}  // namespace
}  // namespace hengdian
