#pragma once
// The check: every entered line looked up on the chosen site, one after another, on a worker
// thread; the results text and the progress caption shown through a LookupView.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/current_version.h"
#include "lookup/result_row.h"
#include "lookup/result_table.h"
#include "lookup/site.h"
#include "runtime/stop_flag.h"
#include "runtime/thread_registry.h"
#include "runtime/ui_thread.h"
#include "web/http.h"

namespace hengdian {

inline constexpr std::u16string_view kCaptionLoading = u"查询得到信息：正在加载中";
inline constexpr std::u16string_view kCaptionDone = u"查询得到信息：已加载完成。";

/// The window operations a check needs. Each runs on the user interface thread. The two reads
/// are waited for (`callOnUiThread`); the results text and the caption are not: a line's updates
/// go over together with the next line's read of the site chooser, or are posted
/// (`postToUiThread`), always in order, and never once the check has been stopped.
struct LookupView {
  std::function<std::u16string()> inputText;
  std::function<Site()> selectedSite;
  /// Replaces the whole results text. A check shows its first line with it.
  std::function<void(const std::u16string &)> setResultsText;
  /// Adds `tail` at the end of the results text; a check shows every later line with it. When
  /// empty, the check shows the whole text so far with `setResultsText` instead.
  std::function<void(const std::u16string &tail)> appendResultsText;
  std::function<void(const std::u16string &)> setResultsCaption;
};

/// Where the check looks, how it asks and how long it waits before a site's second attempt.
struct QuerySettings {
  SiteHosts hosts;
  std::chrono::milliseconds retryWait{1010};  // each of the ten waits
  /// How each search request goes out: it ends within two minutes, whatever the site sends (one
  /// that stalls for 60 s sooner); a request cut off so reads as one the site did not answer.
  HttpSettings http{.totalTime = std::chrono::minutes(2)};
};

/// The hosts of the build configuration and the usual waits.
QuerySettings defaultQuerySettings();

/// The check command's state: what it works on and the number of the running check's thread.
struct QueryJob {
  ThreadRegistry &threads;
  ResultTable &table;
  LookupView view;
  UiPost post;
  QuerySettings settings;
  std::int32_t runningThread = 0;
};

/// Stops a running check, shows the loading caption and starts a new check on a worker thread.
/// User interface thread.
void startCheck(QueryJob &job);

/// One whole check. Writes nothing once `stop` is raised. Worker thread.
void runCheck(ResultTable &table, const LookupView &view, const UiPost &post, const QuerySettings &settings,
              StopFlag &stop);

/// The entered text with its line breaks cleaned: CR to LF, one pass of LF LF to LF, outer LFs
/// removed.
std::u16string cleanInputText(std::u16string_view text);

/// One line of the entered text: its first two TAB fields, each without outer spaces.
struct EnteredLine {
  std::u16string code;
  std::u16string name;

  bool operator==(const EnteredLine &) const = default;
};

/// The lines of the entered text after `cleanInputText`, cut in one pass; at least one, also for
/// an empty text. Line i of a check is entry i.
std::vector<EnteredLine> enteredLines(std::u16string_view text);

/// One entered line after its lookup.
struct CheckedEntry {
  EnteredLine entered;
  ResultRow row;  // the entered code, the found name and link, the site, why the site did not answer
  ResultLine line;
  std::vector<HitRecord> records;  // the line's records in its order; none when nothing was found
  CurrentFinding current;          // the version in force, when the check looks for it
};

/// A search page as its site's parser read it, and why the site did not answer ("" when it did).
struct SiteAnswer {
  ParsedPage page;
  std::u16string error;
};

/// One search of `site` for `code` with the check's request, fetch and parser, its hits classified
/// against `code` and `name`, without a second attempt. Empty when `stop` was raised. Worker
/// thread.
std::optional<SiteAnswer> searchSite(Site site, std::u16string_view code, std::u16string_view name,
                                     const QuerySettings &settings, StopFlag &stop);

/// The longest code sent to a site, in UTF-8 bytes. A longer line is not sent: its entry reads as
/// not found, with `kCodeNotSent` as its row's error.
inline constexpr std::size_t kMaxCodeBytes = 1024;
inline constexpr std::u16string_view kCodeNotSent = u"not sent: the code is longer than 1 KiB";

/// Looks `entered` up on `site` and fills its row from the line. A site with a second attempt is
/// asked again, after ten waits, when its first page holds no hit; `beforeWait(m)` runs before
/// wait m and ends the lookup when it returns false. The row's error is the last attempt's.
/// Empty when `stop` was raised. Worker thread.
std::optional<CheckedEntry> checkEntry(EnteredLine entered, Site site, const QuerySettings &settings,
                                       StopFlag &stop, const std::function<bool(int wait)> &beforeWait);

/// How far a check has come: the line under way (counted from 0; `count` once every line is
/// done), the number of lines, and the waits begun of the line's second attempt (1 to 10; 0
/// before it).
struct CheckProgress {
  std::size_t index = 0;
  std::size_t count = 0;
  int waits = 0;

  bool operator==(const CheckProgress &) const = default;
};

/// The caption that shows `progress` in the results frame: the loading caption at the start,
/// followed by one ">" per wait begun, or by one to three dots by the line done last.
std::u16string progressCaption(const CheckProgress &progress);

}  // namespace hengdian
