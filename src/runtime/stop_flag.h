#pragma once
// A job's stop flag. The user interface thread raises it; the job checks it between steps,
// wakes from its waits on it, and makes every shared write through it, so that once the flag is
// raised the job changes nothing more.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace hengdian {

/// The stop flag of one job, shared by the job and the thread that may stop it.
class StopFlag {
public:
  /// Raises the flag. Returns only when no write made through `runUnlessStopped` is under way,
  /// so after it returns the job has no effect any more. Any thread.
  void requestStop();

  /// Whether the flag is raised. Any thread.
  bool stopRequested() const;

  /// Runs `write` unless the flag is raised, holding the flag's lock so that a stop waits for
  /// it. Returns whether it ran. `write` must not wait for another thread.
  template <class Write>
  bool runUnlessStopped(Write &&write) {
    std::lock_guard lock(mutex_);
    if (stopped_) return false;
    write();
    return true;
  }

  /// Sleeps for `duration`, waking at once when the flag is raised. Returns false when it was.
  bool waitFor(std::chrono::milliseconds duration);

private:
  mutable std::mutex mutex_;
  std::condition_variable woken_;
  bool stopped_ = false;
};

}  // namespace hengdian
