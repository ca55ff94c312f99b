#pragma once
// The registry of worker threads: numbered threads that can be started, watched and stopped.
// Stopping raises the thread's stop flag and forgets it; no thread is ever killed, and stopping
// never waits for the thread to finish what it is blocked in.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "runtime/stop_flag.h"

namespace hengdian {

/// What a worker thread runs, given the thread's stop flag.
using ThreadProcedure = std::function<void(StopFlag &stop)>;

struct ThreadEntry;

/// The process's worker threads, numbered from 1; 0 stands for no thread. Its lock is held only
/// inside its own operations, never while a thread's procedure runs.
class ThreadRegistry {
 public:
  /// An empty registry; the first thread gets number 1.
  ThreadRegistry();
  /// Raises the stop flag of every thread still running and lets it go without waiting for it.
  ~ThreadRegistry();
  ThreadRegistry(const ThreadRegistry &) = delete;
  ThreadRegistry &operator=(const ThreadRegistry &) = delete;

  /// Blocks until every thread started here, stopped ones included, has ended. For orderly
  /// shutdown of the command-line tool and for tests; the window never calls it.
  void waitForAll();

 private:
  friend std::int32_t startThread(ThreadRegistry &, ThreadProcedure);
  friend bool isThreadRunning(ThreadRegistry &, std::int32_t);
  friend void stopThread(ThreadRegistry &, std::int32_t);

  std::mutex mutex_;
  std::int32_t lastNumber_ = 0;
  std::vector<std::shared_ptr<ThreadEntry>> entries_;
  std::vector<std::shared_ptr<ThreadEntry>> stopped_;
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
