#pragma once
// The window's side of a download run: armed from the popup menu, started by the confirm button
// with the settings of the download settings tab, ended by a message box and the return to the
// search tab. Everything here runs on the user interface thread.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "downloads/download_run.h"
#include "lookup/result_table.h"

namespace hengdian {

/// The title of every message box a download run shows.
inline constexpr std::u16string_view kDownloadMessageTitle = u"下载提示";

/// The armed download, kept between the menu command and the confirm button. UI thread.
struct DownloadJob {
  DownloadMode mode = DownloadMode::Single;
  std::size_t rowIndex = 0;
};

/// The three settings read from the download settings tab when the confirm button is clicked.
struct DownloadSettings {
  std::u16string folder;  // folder field text, used as is (joined directly with the expanded name)
  std::u16string rule;    // naming rule field text
  bool notify = true;     // notice check box
};

/// A plain box or one with the error icon, both titled "下载提示".
enum class MessageKind { Plain, Error };

/// The window operations a download run needs besides its log; all called on the UI thread.
struct DownloadView {
  std::function<DownloadSettings()> readSettings;
  std::function<void(const std::u16string &text, MessageKind kind)> showMessage;
  std::function<void(bool shown)> showConfirmButton;
  std::function<void(bool enabled)> enableConfirmButton;
  std::function<void(int tab)> selectTab;  // 0 search tab, 1 download settings tab
};

/// Menu items 3 ("下载当前标准", Single) and 4 ("批量下载标准", Batch): when the current row's site serves
/// files, set mode and row index, select tab 1 and show the confirm button. Returns whether it armed.
bool armDownload(DownloadJob &job, DownloadMode mode, std::size_t currentRow, const ResultTable &table,
                 const DownloadView &view);

/// The confirm button: runs the job over the table's rows with the tab's settings (the log goes to
/// `run`'s observer), shows its box, then selects tab 0 and hides the confirm button (always, also
/// when a batch had nothing to do — but not when the stop flag ended the run).
DownloadOutcome confirmDownload(const DownloadJob &job, const ResultTable &table, const DownloadView &view,
                                DownloadRun run);

}  // namespace hengdian
