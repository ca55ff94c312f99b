#pragma once
// A plain thread that runs posted closures in order, standing in for the window's user interface
// thread in tests and benchmarks.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "runtime/ui_thread.h"

namespace hengdian::testing {

/// A plain thread that stands in for the user interface thread: it runs posted closures one after
/// another (one that throws is dropped) until it is destroyed, then runs what is still queued and
/// ends. Whatever posts to it
/// (workers included) must be done before it is destroyed.
class EventLoopThread {
 public:
  /// Starts the loop thread.
  EventLoopThread();
  /// Runs what is still queued, then ends the loop thread.
  ~EventLoopThread();
  EventLoopThread(const EventLoopThread &) = delete;
  EventLoopThread &operator=(const EventLoopThread &) = delete;

  /// Queues `closure`. Any thread.
  void post(std::function<void()> closure);

  /// A `UiPost` that queues on this loop.
  UiPost poster();

  /// Runs `closure` on the loop and waits for it; for code that acts as the user interface
  /// thread (start a check, stop one). An exception of `closure` is thrown again here. Must not
  /// be called from the loop itself.
  void runAndWait(const std::function<void()> &closure);

 private:
  void loop();

  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::function<void()>> queue_;
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace hengdian::testing
