#pragma once
// The window's check: the list check run with one lookup at a time on a worker thread, the site
// chooser read before each line, the results text and the progress caption shown through a
// LookupView.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lookup/check.h"
#include "lookup/result_table.h"
#include "lookup/site.h"
#include "runtime/stop_flag.h"
#include "runtime/thread_registry.h"
#include "runtime/ui_thread.h"

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
  /// Adds `tail` at the end of the results text; a check shows every later line with it.
  std::function<void(const std::u16string &tail)> appendResultsText;
  std::function<void(const std::u16string &)> setResultsCaption;
  /// Takes line `index`'s entry, right after its line is shown; none wanted when empty.
  std::function<void(std::size_t index, const CheckedEntry &entry)> addEntry{};
};

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

/// The caption that shows `progress` in the results frame: the loading caption at the start,
/// followed by one ">" per wait begun, or by one to three dots by the line done last.
std::u16string progressCaption(const CheckProgress &progress);

}  // namespace hengdian
