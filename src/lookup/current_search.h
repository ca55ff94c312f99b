#pragma once
// The window's look for the versions in force of the entries of the last check: the stem searches
// run on a worker thread, their findings shown through a CurrentSearchView as they come.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "lookup/check.h"
#include "runtime/stop_flag.h"
#include "runtime/thread_registry.h"
#include "runtime/ui_thread.h"

namespace hengdian {

/// How many stem searches the window runs at once: the public sites are shared by everyone.
inline constexpr int kCurrentSearchJobs = 4;

/// The window operations the look needs, each run on the user interface thread, posted in order
/// and never once the look has been stopped.
struct CurrentSearchView {
  /// Entry `index` of the check got `found`; `done` of `count` entries have theirs.
  std::function<void(std::size_t index, const CurrentFinding &found, std::size_t done, std::size_t count)>
      showFinding;
  /// Every entry has its finding.
  std::function<void()> showEnd;
};

/// The look's state: where it runs and the number of its thread.
struct CurrentSearchJob {
  ThreadRegistry &threads;
  CurrentSearchView view;
  UiPost post;
  QuerySettings settings;
  std::int32_t runningThread = 0;
};

/// Stops a running look and starts one for `entries`, the check's entries numbered `indexes`, on
/// a worker thread. User interface thread.
void startCurrentSearch(CurrentSearchJob &job, std::vector<CheckedEntry> entries,
                        std::vector<std::size_t> indexes);

/// Stops a running look; nothing of it shows any more. User interface thread.
void stopCurrentSearch(CurrentSearchJob &job);

/// Whether a look is running. User interface thread.
bool currentSearchRunning(CurrentSearchJob &job);

/// One whole look. Worker thread.
void runCurrentSearch(std::vector<CheckedEntry> entries, const std::vector<std::size_t> &indexes,
                      const CurrentSearchView &view, const UiPost &post, const QuerySettings &settings,
                      StopFlag &stop);

}  // namespace hengdian
