#include "runtime/thread_registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "runtime/ui_thread.h"
#include "support/event_loop_thread.h"
#include "support/wait_for_threads.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;

TEST(ThreadRegistry, NumbersThreadsFromOneAndKnowsWhenTheyEnd) {
  ThreadRegistry registry;
  EXPECT_FALSE(isThreadRunning(registry, 0));
  EXPECT_FALSE(isThreadRunning(registry, 7));

  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::vector<std::int32_t> numbers;
  for (int i = 0; i < 3; ++i)
    numbers.push_back(startThread(registry, [released](StopFlag &) { released.wait(); }));
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{1, 2, 3}));
  for (std::int32_t number : numbers)
    EXPECT_TRUE(isThreadRunning(registry, number));

  release.set_value();
  testing::waitForAll(registry);
  for (std::int32_t number : numbers)
    EXPECT_FALSE(isThreadRunning(registry, number));

  // Ended entries are pruned at the next start; numbers keep counting up.
  EXPECT_EQ(startThread(registry, [](StopFlag &) {}), 4);
  stopThread(registry, 3);   // ended: forgotten, nothing else
  stopThread(registry, 99);  // never handed out: ignored
  testing::waitForAll(registry);
  EXPECT_FALSE(isThreadRunning(registry, 4));
}

// An exception escaping a worker would end the whole process through std::terminate.
TEST(ThreadRegistry, AnEscapingExceptionEndsOnlyItsThread) {
  ThreadRegistry registry;
  const std::int32_t number = startThread(registry, [](StopFlag &) { throw std::bad_alloc(); });
  ASSERT_NE(number, 0);
  testing::waitForAll(registry);
  EXPECT_FALSE(isThreadRunning(registry, number));
}

TEST(ThreadRegistry, StopWakesTheThreadAndForgetsItsNumber) {
  ThreadRegistry registry;
  std::atomic<int> waitResult{-1};
  const std::int32_t number =
      startThread(registry, [&](StopFlag &stop) { waitResult = stop.waitFor(10min) ? 1 : 0; });
  ASSERT_NE(number, 0);

  const auto started = std::chrono::steady_clock::now();
  stopThread(registry, number);
  EXPECT_FALSE(isThreadRunning(registry, number));
  testing::waitForAll(registry);
  EXPECT_EQ(waitResult, 0);  // woken by the stop, not by the end of the wait
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1min);
}

// The stop guarantee under load: a job that writes shared state as fast as it can, both directly
// under its flag and through calls to the user interface thread, changes nothing once stopThread
// has returned on that thread.
TEST(ThreadRegistry, AStoppedJobWritesNothingAfterStopThreadReturns) {
  for (int round = 0; round < 20; ++round) {
    ThreadRegistry registry;
    testing::EventLoopThread ui;
    const UiPost post = ui.poster();
    std::atomic<long> tableWrites{0};
    std::vector<std::string> viewLog;  // touched on `ui` only

    const std::int32_t number = startThread(registry, [&](StopFlag &stop) {
      for (;;) {
        // Slow writes, so that the stop often comes while one is under way.
        for (int i = 0; i < 10; ++i) {
          const bool wrote = stop.runUnlessStopped([&] {
            std::this_thread::sleep_for(20us);
            ++tableWrites;
          });
          if (!wrote) return;
        }
        if (!callOnUiThread(post, stop, [&] { viewLog.push_back("write"); })) return;
      }
    });
    ASSERT_NE(number, 0);
    while (tableWrites < 50)
      std::this_thread::yield();

    long writesAtStop = 0;
    ui.runAndWait([&] {
      stopThread(registry, number);
      writesAtStop = tableWrites;
      viewLog.push_back("stopped");
    });
    testing::waitForAll(registry);
    ui.runAndWait([] {});  // anything the job left queued has run by now

    EXPECT_EQ(tableWrites, writesAtStop);
    ASSERT_FALSE(viewLog.empty());
    EXPECT_EQ(viewLog.back(), "stopped");
  }
}

TEST(ThreadRegistry, DestructionNeitherWaitsForRunningThreadsNorEndsTheProcess) {
  auto release = std::make_shared<std::promise<void>>();
  std::shared_future<void> released = release->get_future().share();
  auto flagSeen = std::make_shared<std::atomic<bool>>(false);
  {
    ThreadRegistry registry;
    // Blocks on something the stop flag cannot wake, like a request the job cannot abort.
    startThread(registry, [released, flagSeen](StopFlag &stop) {
      released.wait();
      *flagSeen = stop.stopRequested();
    });
    const std::int32_t stopped = startThread(registry, [released](StopFlag &) { released.wait(); });
    stopThread(registry, stopped);
  }
  release->set_value();
  // The detached threads end on their own; the first one saw the flag the registry raised.
  for (int i = 0; i < 1000 && !*flagSeen; ++i)
    std::this_thread::sleep_for(5ms);
  EXPECT_TRUE(*flagSeen);
}

}  // namespace
}  // namespace hengdian
