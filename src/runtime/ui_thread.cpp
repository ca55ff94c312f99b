#include "runtime/ui_thread.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <utility>

namespace hengdian {

namespace {

/// How long a worker watches for the answer of a waited call before it sleeps until woken.
constexpr std::chrono::microseconds kCallWatch{50};

}  // namespace

bool callOnUiThread(const UiPost &post, StopFlag &stop, const std::function<void()> &call) {
  // The queued closure keeps the flag's state and its own `done` alive, so it stays safe when the
  // worker has given up waiting and gone; it reaches `call` (and the worker's locals) only while
  // the flag is down, which means the worker is still waiting for it.
  struct Pending {
    std::atomic<bool> done{false};
  };
  const std::shared_ptr<StopFlag::State> state = stop.state_;
  if (state->stopped.load()) return false;
  auto pending = std::make_shared<Pending>();
  post([state, pending, &call] {
    {
      StopFlag::WriteLock write(*state);
      if (state->stopped.load()) return;
      call();
      pending->done.store(true);
    }
    state->woken.notify_all();
  });
  // An idle user interface thread answers within microseconds. Watching for the answer that long
  // spares the worker falling asleep and being woken again, two thread switches per call, which
  // cost more than the call itself; a busy user interface thread is waited for asleep.
  const auto watchUntil = std::chrono::steady_clock::now() + kCallWatch;
  while (!pending->done.load() && !state->stopped.load() && std::chrono::steady_clock::now() < watchUntil) {
  }
  if (pending->done.load()) return true;
  std::unique_lock lock(state->mutex);
  state->woken.wait(lock, [&] { return pending->done.load() || state->stopped.load(); });
  return pending->done.load();
}

bool postToUiThread(const UiPost &post, StopFlag &stop, std::function<void()> call) {
  // The closure shares the flag's state, so it can look at the flag after the job has gone.
  const std::shared_ptr<StopFlag::State> state = stop.state_;
  if (state->stopped.load()) return false;
  post([state, call = std::move(call)] {
    StopFlag::WriteLock write(*state);
    if (!state->stopped.load()) call();
  });
  return true;
}

}  // namespace hengdian
