#include "cli/interrupt.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "cli/exit_codes.h"

namespace hengdian::cli {

namespace {

std::atomic<int> recordedSignal{0};

// The listeners are called under this lock, so that a subscription that goes waits for a call to
// it under way. Never freed: the watcher thread may still look at it while the process ends.
std::mutex *listenersMutex = new std::mutex();
std::vector<InterruptSubscription *> *listeners = new std::vector<InterruptSubscription *>();

}  // namespace

int interruptSignal() {
  return recordedSignal.load();
}

int interruptExitCode() {
  const int signal = interruptSignal();
  return signal == 0 ? 0 : kExitSignalBase + signal;
}

void requestInterrupt(int signal) {
  int none = 0;
  if (!recordedSignal.compare_exchange_strong(none, signal)) return;
  std::lock_guard lock(*listenersMutex);
  // Between the steps of a run nothing is under way that would need tidying: the process ends
  // as the signal would have ended it, with the status a shell expects.
  if (listeners->empty()) std::_Exit(kExitSignalBase + signal);
  for (InterruptSubscription *listener : *listeners)
    listener->notify();
}

InterruptSubscription::InterruptSubscription(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)) {
  std::lock_guard lock(*listenersMutex);
  listeners->push_back(this);
  if (recordedSignal.load() != 0) notify();
}

InterruptSubscription::~InterruptSubscription() {
  std::lock_guard lock(*listenersMutex);
  listeners->erase(std::remove(listeners->begin(), listeners->end(), this), listeners->end());
}

void InterruptSubscription::notify() {
  if (notified_) return;
  notified_ = true;
  if (onInterrupt_) onInterrupt_();
}

}  // namespace hengdian::cli
