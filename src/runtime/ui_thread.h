#pragma once
// Carrying a worker's calls to the user interface thread. The window posts through its toolkit
// (wx CallAfter); the command-line tool and the tests use `EventLoopThread`, a plain thread that
// runs posted closures in order.

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "runtime/stop_flag.h"

namespace hengdian {

/// Hands a closure to the user interface thread, which runs posted closures in posting order.
/// Any thread.
using UiPost = std::function<void(std::function<void()>)>;

/// Runs `call` on the user interface thread and waits for it. When `stop` is raised before the
/// call gets its turn there, the call is skipped and the result is empty; when it is raised while
/// the worker waits, the worker returns at once and the queued call later does nothing. The call
/// runs under the stop flag's lock, so a stop from another thread waits for a call under way.
/// Worker thread.
template <class Result>
std::optional<Result> callOnUiThread(const UiPost &post, StopFlag &stop, std::function<Result()> call);

/// The same for calls without a result; returns whether the call ran. Worker thread.
/// `call` may refer to the caller's locals: it never runs once the caller has returned. It must
/// neither stop the calling job nor run the event loop itself.
bool callOnUiThread(const UiPost &post, StopFlag &stop, const std::function<void()> &call);

/// Hands `call` to the user interface thread without waiting for it; it runs there, in posting
/// order with every other call, only if `stop` is still down when its turn comes, and under the
/// flag's lock, so once a stop has returned none of these calls shows anything more. `call` must
/// own what it works on (the caller may be gone when it runs) and must not wait for another
/// thread. Returns false, posting nothing, when the flag is already raised. Worker thread.
bool postToUiThread(const UiPost &post, StopFlag &stop, std::function<void()> call);

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

template <class Result>
std::optional<Result> callOnUiThread(const UiPost &post, StopFlag &stop, std::function<Result()> call) {
  std::optional<Result> result;
  const bool ran = callOnUiThread(post, stop, [&] { result = call(); });
  if (!ran) return std::nullopt;
  return result;
}

}  // namespace hengdian
