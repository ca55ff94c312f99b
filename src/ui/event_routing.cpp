#include "ui/event_routing.h"

#include <array>

#include "lookup/site.h"

namespace hengdian {

namespace {

/// What must hold besides kind and source for a route to be taken. CurrentRowOnLibrarySite: the
/// current row's site serves previews and files, as the library site does.
enum class Condition { None, CurrentRowOnLibrarySite };

struct Route {
  EventKind kind;
  EventSource source;   // for commands; None matches any window
  std::int32_t menuId;  // for menu choices
  Condition condition;
  std::function<void()> AppCommands::*command;  // nullptr: nothing to do
  bool goOn;
};

// Matched from the top; the first route whose kind, source or item and condition fit is taken.
constexpr std::array kRoutes = {
    Route{EventKind::CloseRequest, EventSource::MainWindow, 0, Condition::None, nullptr, false},
    Route{EventKind::RightButtonReleased, EventSource::None, 0, Condition::None, &AppCommands::showRowMenu,
          true},
    Route{EventKind::Command, EventSource::CheckButton, 0, Condition::None, &AppCommands::startCheck, true},
    Route{EventKind::Command, EventSource::FolderButton, 0, Condition::None,
          &AppCommands::chooseDownloadFolder, true},
    Route{EventKind::Command, EventSource::ConfirmButton, 0, Condition::None, &AppCommands::confirmDownload,
          true},
    Route{EventKind::Command, EventSource::SearchCurrentButton, 0, Condition::None,
          &AppCommands::findCurrentVersions, true},
    Route{EventKind::Command, EventSource::CancelSearchButton, 0, Condition::None,
          &AppCommands::cancelCurrentSearch, true},
    Route{EventKind::Command, EventSource::ExportButton, 0, Condition::None, &AppCommands::exportReport,
          true},
    Route{EventKind::MenuChoice, EventSource::None, MenuOpenPage, Condition::None, &AppCommands::openRowPage,
          true},
    Route{EventKind::MenuChoice, EventSource::None, MenuPreview, Condition::CurrentRowOnLibrarySite,
          &AppCommands::openRowPreview, true},
    Route{EventKind::MenuChoice, EventSource::None, MenuDownloadOne, Condition::CurrentRowOnLibrarySite,
          &AppCommands::armSingleDownload, true},
    Route{EventKind::MenuChoice, EventSource::None, MenuDownloadAll, Condition::CurrentRowOnLibrarySite,
          &AppCommands::armBatchDownload, true},
};

bool fits(const Route &route, const AppEvent &event) {
  if (route.kind != event.kind) return false;
  switch (route.kind) {
    case EventKind::CloseRequest:
    case EventKind::Command:
      return route.source == event.source;
    case EventKind::MenuChoice:
      return route.menuId == event.menuId;
    default:
      return true;
  }
}

bool conditionHolds(Condition condition, const AppCommands &commands) {
  if (condition == Condition::None) return true;
  return commands.currentRowSite && siteDescription(commands.currentRowSite()).downloadAddress != nullptr;
}

}  // namespace

bool dispatchEvent(const AppEvent &event, const AppCommands &commands) {
  for (const Route &route : kRoutes) {
    if (!fits(route, event)) continue;
    if (route.command && conditionHolds(route.condition, commands)) {
      const std::function<void()> &command = commands.*route.command;
      if (command) command();
    }
    return route.goOn;
  }
  // "取消操作", commands of other controls and every other event: nothing.
  return true;
}

}  // namespace hengdian
