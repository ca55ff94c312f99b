#include "support/event_loop_thread.h"

#include <future>
#include <utility>

namespace hengdian::testing {

EventLoopThread::EventLoopThread() : thread_([this] { loop(); }) {}

EventLoopThread::~EventLoopThread() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  queued_.notify_all();
  thread_.join();
}

void EventLoopThread::post(std::function<void()> closure) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(closure));
  }
  queued_.notify_one();
}

UiPost EventLoopThread::poster() {
  return [this](std::function<void()> closure) { post(std::move(closure)); };
}

void EventLoopThread::runAndWait(const std::function<void()> &closure) {
  // The task keeps what `closure` throws for `get` to throw again.
  std::packaged_task<void()> task(closure);
  std::future<void> done = task.get_future();
  post([&task] { task(); });
  done.get();
}

void EventLoopThread::loop() {
  for (;;) {
    std::function<void()> closure;
    {
      std::unique_lock lock(mutex_);
      queued_.wait(lock, [this] { return ending_ || !queue_.empty(); });
      if (queue_.empty()) return;
      closure = std::move(queue_.front());
      queue_.pop_front();
    }
    // A posted call that throws loses only itself; the loop goes on with the next one.
    try {
      closure();
    } catch (...) {
    }
  }
}

}  // namespace hengdian::testing
