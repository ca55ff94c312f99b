#pragma once
// The single and batch download runs: armed from the popup menu, started by the confirm button,
// each standard's file named by the naming rule, fetched from the library site and logged with a
// time stamp on the download settings tab. Everything here runs on the user interface thread.

#include <chrono>
#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "lookup/result_row.h"
#include "lookup/result_table.h"
#include "runtime/date.h"
#include "runtime/stop_flag.h"
#include "web/download.h"

namespace hengdian {

/// The time stamp in front of every download log line; it ends with a full-width colon.
inline constexpr std::u16string_view kLogTimeMask = u"%yyyy-%mm-%dd %hh:%ii:%ss：";
inline constexpr std::u16string_view kBatchStartText = u"批量下载标准开始：";
inline constexpr std::u16string_view kBatchEndText = u"批量下载标准完成。";
/// The three ways a download fails, as the log and the message box word them.
inline constexpr std::u16string_view kServerConnectFailed = u"服务器连接失败。";
inline constexpr std::u16string_view kFileDownloadFailed = u"文件下载失败。";
inline constexpr std::u16string_view kFileCreateFailed = u"创建文件失败，文件可能正在使用或文件路径不规范。";
/// The title of every message box a download run shows.
inline constexpr std::u16string_view kDownloadMessageTitle = u"下载提示";
/// The longest path, in UTF-16 units, that a file can be created under.
inline constexpr std::size_t kLongestTargetPath = 32767;

/// Single downloads the remembered row, Batch every row of the check.
enum class DownloadMode { Single, Batch };

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

/// The window operations a download run needs; all called on the UI thread.
struct DownloadView {
  std::function<DownloadSettings()> readSettings;
  std::function<void(const std::u16string &line)> insertLogLine;  // whole line incl. time prefix, goes on top
  std::function<void(const std::u16string &text, MessageKind kind)> showMessage;
  std::function<void(bool shown)> showConfirmButton;
  std::function<void(bool enabled)> enableConfirmButton;
  std::function<void(int tab)> selectTab;  // 0 search tab, 1 download settings tab
};

/// What a run needs besides the view: host, pause, event serving, clock, and a way to end a batch early.
struct DownloadContext {
  std::u16string libraryHost;  // host[:port]; scheme is http://
  std::chrono::milliseconds retryPause{10100};
  std::function<void()> serveEvents;    // handed to downloadFile (pause and transfer)
  std::function<DateValue()> clock;     // empty: currentDate
  std::function<bool()> stopRequested;  // checked before each row; true ends the run at once
                                        // (window closing): no further row, no end line, no box
  /// Raised, it also ends the transfer under way (that row fails) and then the run as
  /// `stopRequested` does. May be null.
  const StopFlag *stop = nullptr;
  /// Called before each row is downloaded with its index, the number of rows the run covers and
  /// the row itself (a progress display); may be empty.
  std::function<void(std::size_t index, std::size_t count, const ResultRow &row)> rowStarting;
  /// Called after each row's log line with the row and how its download went; may be empty.
  std::function<void(const ResultRow &row, const DownloadResult &result)> rowDone;
  /// How the download requests go out: as a browser, with the download's bounds.
  HttpSettings http = kDownloadHttpSettings;
};

/// How a run went: the rows saved and failed, and whether stopRequested ended it early.
struct DownloadOutcome {
  std::size_t saved = 0;
  std::size_t failed = 0;
  bool stopped = false;
};

/// Menu items 3 ("下载当前标准", Single) and 4 ("批量下载标准", Batch): when the current row's site serves
/// files, set mode and row index, select tab 1 and show the confirm button. Returns whether it armed.
bool armDownload(DownloadJob &job, DownloadMode mode, std::size_t currentRow, const ResultTable &table,
                 const DownloadView &view);

/// The confirm button: read the settings, run Single or Batch, then select tab 0 and hide the confirm
/// button (always, also when a batch had nothing to do — but not when stopRequested ended the run).
DownloadOutcome confirmDownload(const DownloadJob &job, const ResultTable &table, const DownloadView &view,
                                const DownloadContext &context);

/// The files a batch has written so far, by `platformPathKey`, so that no row of it replaces the
/// file of another.
using WrittenFiles = std::set<std::u16string>;

/// Downloads `row` as the settings say, under the name the platform's file system holds. A name
/// that would put a path separator into the file name, or a path too long for any file, is not
/// written, before anything is requested. With `written`, a path the batch wrote already gets
/// " (2)", " (3)", … before its extension (the first number whose path it did not write), and the
/// path saved joins `written`; a file left by an earlier run is replaced.
DownloadResult downloadRow(const ResultRow &row, const DownloadSettings &settings,
                           const DownloadContext &context, WrittenFiles *written = nullptr);

/// The log line text after the time stamp for `row` and its download `result`: the path written,
/// or the message for its kind of failure.
std::u16string downloadResultText(const ResultRow &row, const DownloadResult &result);

}  // namespace hengdian
