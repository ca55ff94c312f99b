#pragma once
// The routing of the window's events to the commands that handle them, as a table of routes in
// plain code: the wx handlers only translate what the toolkit reports into an AppEvent, so the
// routing runs and is tested without a window.

#include <cstdint>
#include <functional>

#include "lookup/result_row.h"

namespace hengdian {

/// What happened, as the main loop sees it.
enum class EventKind { CloseRequest, RightButtonReleased, Command, MenuChoice, Other };

/// Where a command event came from. Menu choices carry their item id instead.
enum class EventSource {
  MainWindow,
  CheckButton,
  FolderButton,
  ConfirmButton,
  SearchCurrentButton,
  CancelSearchButton,
  ExportButton,
  OtherControl,
  None
};

/// The ids of the popup menu's items, in the menu's order.
enum MenuItem : std::int32_t {
  MenuOpenPage = 1,
  MenuPreview = 2,
  MenuDownloadOne = 3,
  MenuDownloadAll = 4,
  MenuCancel = 5,
};

/// One event of the user interface thread.
struct AppEvent {
  EventKind kind = EventKind::Other;
  EventSource source = EventSource::None;
  std::int32_t menuId = 0;
};

/// The commands the routes lead to. UI thread; an empty function does nothing.
struct AppCommands {
  std::function<void()> showRowMenu;
  std::function<void()> startCheck;
  std::function<void()> chooseDownloadFolder;
  std::function<void()> confirmDownload;
  std::function<void()> openRowPage;
  std::function<void()> openRowPreview;
  std::function<void()> armSingleDownload;
  std::function<void()> armBatchDownload;
  /// The site of the current row, found anew for each menu choice.
  std::function<Site()> currentRowSite;
  /// The 标准查新 tab's buttons.
  std::function<void()> findCurrentVersions;
  std::function<void()> cancelCurrentSearch;
  std::function<void()> exportReport;
};

/// Carries out the first route that fits `event`; false only for the close request, which ends
/// the main loop. UI thread.
bool dispatchEvent(const AppEvent &event, const AppCommands &commands);

}  // namespace hengdian
