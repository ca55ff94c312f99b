#pragma once
// Waiting for a registry's threads to end, so that a test or a benchmark never lets one outlive
// what it works on.

#include <memory>
#include <mutex>
#include <vector>

#include "runtime/thread_registry.h"

namespace hengdian::testing {

/// Blocks until every thread started in `registry`, stopped ones included, has ended.
inline void waitForAll(ThreadRegistry &registry) {
  std::vector<std::shared_ptr<ThreadEntry>> all;
  {
    std::lock_guard lock(registry.mutex);
    all = registry.entries;
    all.insert(all.end(), registry.stopped.begin(), registry.stopped.end());
  }
  for (const auto &entry : all) {
    std::lock_guard joinLock(entry->joinMutex);
    if (entry->thread.joinable()) entry->thread.join();
  }
}

}  // namespace hengdian::testing
