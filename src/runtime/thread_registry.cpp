#include "runtime/thread_registry.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <utility>

namespace hengdian {

/// One started thread. The thread itself shares the entry, so the flag outlives the registry's
/// interest in it; `thread` is only ever joined or detached under `joinMutex`.
struct ThreadEntry {
  std::int32_t number = 0;
  StopFlag stop;
  std::atomic<bool> ended{false};
  std::mutex joinMutex;
  std::thread thread;
};

namespace {

using Entries = std::vector<std::shared_ptr<ThreadEntry>>;

// Drops the entries of ended threads. Joining one only waits for it to leave its last few
// instructions; a running thread's join lock is never touched here, so this never blocks on a
// thread that `waitForAll` is waiting for.
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
  std::lock_guard lock(mutex_);
  for (Entries *list : {&entries_, &stopped_}) {
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

void ThreadRegistry::waitForAll() {
  Entries all;
  {
    std::lock_guard lock(mutex_);
    all = entries_;
    all.insert(all.end(), stopped_.begin(), stopped_.end());
  }
  for (const auto &entry : all) {
    std::lock_guard joinLock(entry->joinMutex);
    if (entry->thread.joinable()) entry->thread.join();
  }
  std::lock_guard lock(mutex_);
  pruneEnded(entries_);
  pruneEnded(stopped_);
}

std::int32_t startThread(ThreadRegistry &registry, ThreadProcedure procedure) {
  std::lock_guard lock(registry.mutex_);
  pruneEnded(registry.entries_);
  pruneEnded(registry.stopped_);

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
  entry->number = ++registry.lastNumber_;
  registry.entries_.push_back(std::move(entry));
  return registry.entries_.back()->number;
}

bool isThreadRunning(ThreadRegistry &registry, std::int32_t number) {
  if (number == 0) return false;
  std::lock_guard lock(registry.mutex_);
  for (const auto &entry : registry.entries_) {
    if (entry->number == number) return !entry->ended.load();
  }
  return false;
}

void stopThread(ThreadRegistry &registry, std::int32_t number) {
  std::shared_ptr<ThreadEntry> entry;
  {
    std::lock_guard lock(registry.mutex_);
    auto found = std::find_if(registry.entries_.begin(), registry.entries_.end(),
                              [number](const auto &candidate) { return candidate->number == number; });
    if (found == registry.entries_.end()) return;
    entry = *found;
    registry.entries_.erase(found);
    // Kept aside, not joined: the thread may still be leaving a request it was blocked in.
    registry.stopped_.push_back(entry);
  }
  entry->stop.requestStop();
}

}  // namespace hengdian
