#include "runtime/stop_flag.h"

namespace hengdian {

StopFlag::StopFlag() : state_(std::make_shared<State>()) {}

void StopFlag::requestStop() {
  if (state_->writer.load() == std::this_thread::get_id()) {
    // Asked from inside a write on this thread, which holds the lock: that write is the only one
    // under way and cannot be waited for; once it returns, none starts.
    state_->stopped.store(true);
  } else {
    // Taking the lock waits for a write under way; once the flag is set under it, no write starts.
    std::lock_guard lock(state_->mutex);
    state_->stopped.store(true);
  }
  state_->woken.notify_all();
}

bool StopFlag::stopRequested() const {
  return state_->stopped.load();
}

bool StopFlag::waitFor(std::chrono::milliseconds duration) {
  std::unique_lock lock(state_->mutex);
  return !state_->woken.wait_for(lock, duration, [this] { return state_->stopped.load(); });
}

}  // namespace hengdian
