#include "lookup/current_search.h"

#include <memory>
#include <utility>

#include "lookup/list_check.h"

namespace hengdian {

void startCurrentSearch(CurrentSearchJob &job, std::vector<CheckedEntry> entries,
                        std::vector<std::size_t> indexes) {
  stopCurrentSearch(job);
  job.runningThread =
      startThread(job.threads, [entries = std::move(entries), indexes = std::move(indexes), view = job.view,
                                post = job.post, settings = job.settings](StopFlag &stop) mutable {
        runCurrentSearch(std::move(entries), indexes, view, post, settings, stop);
      });
}

void stopCurrentSearch(CurrentSearchJob &job) {
  if (isThreadRunning(job.threads, job.runningThread)) stopThread(job.threads, job.runningThread);
  job.runningThread = 0;
}

bool currentSearchRunning(CurrentSearchJob &job) {
  return isThreadRunning(job.threads, job.runningThread);
}

void runCurrentSearch(std::vector<CheckedEntry> entries, const std::vector<std::size_t> &indexes,
                      const CurrentSearchView &view, const UiPost &post, const QuerySettings &settings,
                      StopFlag &stop) {
  // The posted calls may run after this worker has ended, so they own the view together.
  const auto shared = std::make_shared<const CurrentSearchView>(view);
  const std::size_t count = entries.size();
  std::size_t done = 0;
  const bool complete = findCurrentVersions(
      entries, settings, kCurrentSearchJobs, stop, [&](std::size_t at, const CheckedEntry &entry) {
        postToUiThread(post, stop,
                       [shared, index = indexes[at], found = entry.current, done = ++done, count] {
                         shared->showFinding(index, found, done, count);
                       });
      });
  if (complete) postToUiThread(post, stop, [shared] { shared->showEnd(); });
}

}  // namespace hengdian
