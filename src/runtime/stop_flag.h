#pragma once
// A job's stop flag. The user interface thread raises it; the job checks it between steps,
// wakes from its waits on it, and makes every shared write through it, so that once the flag is
// raised the job changes nothing more.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace hengdian {

/// The stop flag of one job, shared by the job and the thread that may stop it. Its state lives
/// in a shared block so that a call the job left queued on the user interface thread can still
/// look at the flag after the job itself has gone.
class StopFlag {
 public:
  /// A lowered flag.
  StopFlag();
  StopFlag(const StopFlag &) = delete;
  StopFlag &operator=(const StopFlag &) = delete;

  /// Raises the flag. Returns only when no write made through `runUnlessStopped` is under way,
  /// so after it returns the job has no effect any more. Any thread; from inside one of the flag's
  /// own writes (a posted call that ends its job) it returns at once, and that write is the last.
  void requestStop();

  /// Whether the flag is raised. Takes no lock, so it may be polled from anywhere (a transfer's
  /// progress callback, a write). Any thread.
  bool stopRequested() const;

  /// Runs `write` unless the flag is raised, holding the flag's lock so that a stop waits for
  /// it. Returns whether it ran. `write` must not wait for another thread.
  template <class Write>
  bool runUnlessStopped(Write &&write) {
    WriteLock lock(*state_);
    if (state_->stopped.load()) return false;
    write();
    return true;
  }

  /// Sleeps for `duration`, waking at once when the flag is raised. Returns false when it was.
  bool waitFor(std::chrono::milliseconds duration);

 private:
  friend bool callOnUiThread(const std::function<void(std::function<void()>)> &post, StopFlag &stop,
                             const std::function<void()> &call);
  friend bool postToUiThread(const std::function<void(std::function<void()>)> &post, StopFlag &stop,
                             std::function<void()> call);

  struct State {
    std::mutex mutex;
    std::condition_variable woken;  // stop raised, or a call carried to the UI thread is done
    std::atomic<bool> stopped{false};
    std::atomic<std::thread::id> writer{};  // the thread inside a write, none outside one
  };

  /// The flag's lock, held for one write, with the writing thread noted.
  class WriteLock {
   public:
    explicit WriteLock(State &state) : state_(state), lock_(state.mutex) {
      state_.writer.store(std::this_thread::get_id());
    }
    ~WriteLock() { state_.writer.store(std::thread::id()); }
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;

   private:
    State &state_;
    std::lock_guard<std::mutex> lock_;
  };

  std::shared_ptr<State> state_;
};

}  // namespace hengdian
