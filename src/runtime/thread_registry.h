#pragma once
// The registry of worker threads: numbered threads that can be started, watched and stopped.
// Stopping raises the thread's stop flag and forgets it; no thread is ever killed, and stopping
// never waits for the thread to finish what it is blocked in.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/stop_flag.h"

namespace hengdian {

/// What a worker thread runs, given the thread's stop flag.
using ThreadProcedure = std::function<void(StopFlag &stop)>;

/// One started thread. The thread itself shares the entry, so the flag outlives the registry's
/// interest in it; `thread` is only ever joined or detached under `joinMutex`.
struct ThreadEntry {
  std::int32_t number = 0;
  StopFlag stop;
  std::atomic<bool> ended{false};
  std::mutex joinMutex;
  std::thread thread;
};

/// The process's worker threads, numbered from 1; 0 stands for no thread. Its lock is held only
/// inside the operations below, never while a thread's procedure runs.
struct ThreadRegistry {
  /// An empty registry; the first thread gets number 1.
  ThreadRegistry();
  /// Raises the stop flag of every thread still running and lets it go without waiting for it.
  ~ThreadRegistry();
  ThreadRegistry(const ThreadRegistry &) = delete;
  ThreadRegistry &operator=(const ThreadRegistry &) = delete;

  std::mutex mutex;
  std::int32_t lastNumber = 0;
  std::vector<std::shared_ptr<ThreadEntry>> entries;  // the threads known by their numbers
  std::vector<std::shared_ptr<ThreadEntry>> stopped;  // stopped, perhaps still leaving a request
};

/// Starts `procedure(stop)` on a new thread; returns its number, or 0 when no thread could be
/// made. Entries of ended threads are pruned first. An exception that `procedure` lets escape
/// ends the thread quietly.
std::int32_t startThread(ThreadRegistry &registry, ThreadProcedure procedure);

/// True while the numbered thread has not ended; false for 0, unknown numbers and ended threads.
bool isThreadRunning(ThreadRegistry &registry, std::int32_t number);

/// Raises the numbered thread's stop flag (returning once it can write nothing more) and forgets
/// the number. Unknown numbers are ignored.
void stopThread(ThreadRegistry &registry, std::int32_t number);

}  // namespace hengdian
