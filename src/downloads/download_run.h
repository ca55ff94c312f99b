#pragma once
// A download run: the files of some rows, one after another, each named by the naming rule,
// fetched from the row's own site and logged with a time stamp. The window and the command line
// both drive it and hear from it through one observer. It runs on the thread that calls it.

#include <chrono>
#include <cstddef>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "lookup/result_row.h"
#include "lookup/site.h"
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
/// The longest path, in UTF-16 units, that a file can be created under.
inline constexpr std::size_t kLongestTargetPath = 32767;

/// Single downloads one row, Batch every row of a check between a start line and an end line.
enum class DownloadMode { Single, Batch };

/// What a run tells as it goes, on its own thread; every member may be empty.
struct DownloadObserver {
  /// A whole log line, time stamp included, as it is written: oldest first.
  std::function<void(const std::u16string &line)> logLine;
  /// A row about to be downloaded: its index, the number of rows of the run and the row.
  std::function<void(std::size_t index, std::size_t count, const ResultRow &row)> rowStarting;
  /// A row done, after its log line: the row and how its download went.
  std::function<void(const ResultRow &row, const DownloadResult &result)> rowDone;
};

/// Everything a run needs besides its rows.
struct DownloadRun {
  std::u16string folder;                        // put in front of each expanded name as it is
  std::u16string rule;                          // the naming rule
  SiteHosts hosts;                              // each row's file comes from the host of its own site
  std::chrono::milliseconds retryPause{10100};  // before the retry when the site named no file
  HttpSettings http = kDownloadHttpSettings;
  std::function<void()> serveEvents;  // handed to every download (pause and transfer)
  std::function<DateValue()> clock;   // empty: currentDate
  /// Looked at before each row and after the last; raised, it ends the transfer under way (that
  /// row fails) and then the run, with no further row, no end line. May be null.
  const StopFlag *stop = nullptr;
  DownloadObserver observer{};
};

/// How a run went: the rows saved and failed, and whether the stop flag ended it early.
struct DownloadOutcome {
  std::size_t saved = 0;
  std::size_t failed = 0;
  bool stopped = false;
};

/// Downloads `rows` in order; a failure does not end the run. A Batch of no rows writes nothing;
/// any other writes its start line, a line per row and, unless stopped, its end line.
DownloadOutcome runDownloads(std::span<const ResultRow> rows, DownloadMode mode, const DownloadRun &run);

/// The files a batch has written so far, by `platformPathKey`, so that no row of it replaces the
/// file of another.
using WrittenFiles = std::set<std::u16string>;

/// Downloads `row` as `run` says, under the name the platform's file system holds. A name that
/// would put a path separator into the file name, or a path too long for any file, is not
/// written, and a row of a site that serves no files is not downloaded, before anything is
/// requested. With `written`, a path the batch wrote already gets " (2)", " (3)", … before its
/// extension (the first number whose path it did not write), and the path saved joins `written`;
/// a file left by an earlier run is replaced.
DownloadResult downloadRow(const ResultRow &row, const DownloadRun &run, WrittenFiles *written = nullptr);

/// The log line text after the time stamp for `row` and its download `result`: the path written,
/// or the message for its kind of failure.
std::u16string downloadResultText(const ResultRow &row, const DownloadResult &result);

}  // namespace hengdian
