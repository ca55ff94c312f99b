#pragma once
// Ctrl+C and termination requests for the command-line tool. Once `watchInterrupts` has run,
// SIGINT and SIGTERM (on Windows Ctrl+C, Ctrl+Break and the console's close) no longer end the
// process at once: they are recorded and handed to whoever listens, so that a check or a download
// can stop its transfer, remove what it would leave half done, and exit with 128 + the signal.

#include <functional>

namespace hengdian::cli {

/// Starts watching for the two signals. Call once, from `main`, before any other thread starts
/// (on POSIX the signals are blocked in every thread made afterwards and taken by one watcher
/// thread). Without this call nothing is watched and the signals act as usual.
void watchInterrupts();

/// The signal that asked the process to stop (2 for an interrupt, 15 for a termination), or 0
/// while none has. Any thread.
int interruptSignal();

/// The exit status for a run ended by `interruptSignal`: 130 or 143; 0 while none arrived.
int interruptExitCode();

/// Records `signal` as if it had arrived and tells the listeners; the first one counts. With no
/// listener the process ends at once with 128 + `signal`. The watcher calls this, and so may a
/// test. Any thread.
void requestInterrupt(int signal);

/// A listener, called once on the thread that records the interrupt (at once, on the calling
/// thread, when one was recorded already). It must not wait for work that itself waits for the
/// listener list. Removed when the subscription goes; after the destructor has returned it is
/// not running and will not run.
class InterruptSubscription {
 public:
  explicit InterruptSubscription(std::function<void()> onInterrupt);
  ~InterruptSubscription();
  InterruptSubscription(const InterruptSubscription &) = delete;
  InterruptSubscription &operator=(const InterruptSubscription &) = delete;

 private:
  friend void requestInterrupt(int signal);
  /// Calls the listener unless it was called already. Under the listener list's lock.
  void notify();

  std::function<void()> onInterrupt_;
  bool notified_ = false;
};

}  // namespace hengdian::cli
