#include "runtime/ui_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/event_loop_thread.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;

TEST(UiThread, CallsRunOnTheLoopInOrderAndReturnTheirResults) {
  testing::EventLoopThread ui;
  std::thread::id loopThread;
  ui.runAndWait([&] { loopThread = std::this_thread::get_id(); });

  StopFlag stop;
  std::vector<int> order;  // touched on the loop only
  std::vector<std::thread::id> callThreads;
  std::optional<std::u16string> read;
  std::thread worker([&] {
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(callOnUiThread(ui.poster(), stop, [&, i] {
        order.push_back(i);
        callThreads.push_back(std::this_thread::get_id());
      }));
    }
    read =
        callOnUiThread<std::u16string>(ui.poster(), stop, [] { return std::u16string(u"GB/T 5490-2010"); });
  });
  worker.join();

  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  for (const std::thread::id &id : callThreads)
    EXPECT_EQ(id, loopThread);
  EXPECT_EQ(read, u"GB/T 5490-2010");
}

// The worker gives up on a call that the busy user interface thread has not reached yet; when the
// loop gets to it later, the worker and its flag are gone and the call does nothing.
TEST(UiThread, AStopWhileTheCallWaitsReturnsAtOnceAndTheCallNeverRuns) {
  testing::EventLoopThread ui;
  std::promise<void> openGate;
  std::shared_future<void> gate = openGate.get_future().share();
  ui.post([gate] { gate.wait(); });

  std::atomic<int> posted{0};
  const UiPost post = [&](std::function<void()> closure) {
    ui.post(std::move(closure));
    ++posted;
  };
  auto stop = std::make_unique<StopFlag>();
  std::atomic<bool> touched{false};
  std::promise<bool> outcome;
  std::thread worker([&] {
    int local = 0;
    const bool ran = callOnUiThread(post, *stop, [&] {
      local = 1;
      touched = true;
    });
    outcome.set_value(ran && local == 1);
  });
  while (posted == 0)
    std::this_thread::yield();

  stop->requestStop();
  worker.join();
  EXPECT_FALSE(outcome.get_future().get());
  stop.reset();

  openGate.set_value();
  ui.runAndWait([] {});
  EXPECT_FALSE(touched);

  // Once stopped, nothing is even queued.
  StopFlag stopped;
  stopped.requestStop();
  EXPECT_FALSE(callOnUiThread(post, stopped, [&] { touched = true; }));
  EXPECT_EQ(posted, 1);
  EXPECT_EQ(callOnUiThread<int>(post, stopped, [] { return 1; }), std::nullopt);
}

// Posted calls keep their order among waited ones; those still queued when the stop returns
// show nothing, and after it nothing is queued at all.
TEST(UiThread, PostedCallsRunInOrderWithoutWaitingAndNeverAfterAStop) {
  testing::EventLoopThread ui;
  std::promise<void> openGate;
  std::shared_future<void> gate = openGate.get_future().share();
  StopFlag stop;
  std::vector<int> order;  // touched on the loop only
  EXPECT_TRUE(postToUiThread(ui.poster(), stop, [&] { order.push_back(1); }));
  std::thread worker([&] { EXPECT_TRUE(callOnUiThread(ui.poster(), stop, [&] { order.push_back(2); })); });
  worker.join();
  ui.post([gate] { gate.wait(); });
  EXPECT_TRUE(
      postToUiThread(ui.poster(), stop, [&] { order.push_back(3); }));  // returns while the loop is held
  stop.requestStop();
  EXPECT_FALSE(postToUiThread(ui.poster(), stop, [&] { order.push_back(4); }));
  openGate.set_value();
  ui.runAndWait([] {});
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(UiThread, TheLoopRunsWhatIsStillQueuedBeforeItEnds) {
  std::vector<int> ran;
  {
    testing::EventLoopThread ui;
    std::promise<void> openGate;
    std::shared_future<void> gate = openGate.get_future().share();
    ui.post([gate] { gate.wait(); });
    for (int i = 0; i < 3; ++i)
      ui.post([&ran, i] { ran.push_back(i); });
    openGate.set_value();
  }
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
}

TEST(StopFlag, WaitsEndEarlyOnlyWhenStopped) {
  StopFlag stop;
  EXPECT_TRUE(stop.waitFor(1ms));
  EXPECT_TRUE(stop.runUnlessStopped([] {}));
  std::thread stopper([&] { stop.requestStop(); });
  EXPECT_FALSE(stop.waitFor(10min));
  stopper.join();
  EXPECT_TRUE(stop.stopRequested());
  bool wrote = false;
  EXPECT_FALSE(stop.runUnlessStopped([&] { wrote = true; }));
  EXPECT_FALSE(wrote);
}

// A job's own call may end the job (the window ends a finished search from the last call its
// worker posted): the stop does not wait for the call it is made from, and no later call runs.
TEST(StopFlag, AStopFromInsideOneOfItsCallsReturnsAndEndsTheCalls) {
  testing::EventLoopThread ui;
  StopFlag stop;
  std::vector<int> ran;  // touched on the loop only
  EXPECT_TRUE(postToUiThread(ui.poster(), stop, [&] {
    stop.requestStop();
    ran.push_back(1);
  }));
  postToUiThread(ui.poster(), stop, [&] { ran.push_back(2); });  // queued or refused, never run
  ui.runAndWait([] {});
  EXPECT_EQ(ran, std::vector<int>{1});
}

}  // namespace
}  // namespace hengdian
