#include "runtime/thread_registry.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace hengdian {

namespace {

using Entries = std::vector<std::shared_ptr<ThreadEntry>>;

// Drops the entries of ended threads. Joining one only waits for it to leave its last few
// instructions; a running thread's join lock is never touched here, so this never blocks on a
// thread that someone else is joining.
void pruneEnded(Entries &entries) {
  std::erase_if(entries, [](const std::shared_ptr<ThreadEntry> &entry) {
    if (!entry->ended.load()) return false;
    std::lock_guard lock(entry->joinMutex);
    if (entry->thread.joinable()) entry->thread.join();
    return true;
  });
}

}  // namespace

ThreadRegistry::ThreadRegistry() = default;

ThreadRegistry::~ThreadRegistry() {
  std::lock_guard lock(mutex);
  for (Entries *list : {&entries, &stopped}) {
    for (const auto &entry : *list) {
      entry->stop.requestStop();
      std::lock_guard joinLock(entry->joinMutex);
      if (!entry->thread.joinable()) continue;
      if (entry->ended.load()) {
        entry->thread.join();
      } else {
        entry->thread.detach();
      }
    }
  }
}

std::int32_t startThread(ThreadRegistry &registry, ThreadProcedure procedure) {
  std::lock_guard lock(registry.mutex);
  pruneEnded(registry.entries);
  pruneEnded(registry.stopped);

  auto entry = std::make_shared<ThreadEntry>();
  try {
    entry->thread = std::thread([entry, procedure = std::move(procedure)] {
      // No exception leaves a worker: one that escaped would end the whole process. A job that
      // runs out of memory ends quietly with what it has shown so far.
      try {
        procedure(entry->stop);
      } catch (...) {
      }
      entry->ended.store(true);
    });
  } catch (const std::system_error &) {
    return 0;
  }
  entry->number = ++registry.lastNumber;
  registry.entries.push_back(std::move(entry));
  return registry.entries.back()->number;
}

bool isThreadRunning(ThreadRegistry &registry, std::int32_t number) {
  if (number == 0) return false;
  std::lock_guard lock(registry.mutex);
  for (const auto &entry : registry.entries) {
    if (entry->number == number) return !entry->ended.load();
  }
  return false;
}

void stopThread(ThreadRegistry &registry, std::int32_t number) {
  std::shared_ptr<ThreadEntry> entry;
  {
    std::lock_guard lock(registry.mutex);
    auto found = std::find_if(registry.entries.begin(), registry.entries.end(),
                              [number](const auto &candidate) { return candidate->number == number; });
    if (found == registry.entries.end()) return;
    entry = *found;
    registry.entries.erase(found);
    // Kept aside, not joined: the thread may still be leaving a request it was blocked in.
    registry.stopped.push_back(entry);
  }
  entry->stop.requestStop();
}

}  // namespace hengdian
