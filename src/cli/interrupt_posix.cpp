// POSIX: the two signals are blocked in every thread and taken by one thread that waits for them.

#include <pthread.h>
#include <signal.h>

#include <thread>

#include "cli/interrupt.h"

namespace hengdian::cli {

void watchInterrupts() {
  sigset_t watched;
  sigemptyset(&watched);
  sigaddset(&watched, SIGINT);
  sigaddset(&watched, SIGTERM);
  if (pthread_sigmask(SIG_BLOCK, &watched, nullptr) != 0) return;
  // The watcher lives as long as the process; it only ever records and notifies.
  std::thread([watched] {
    for (;;) {
      int signal = 0;
      if (sigwait(&watched, &signal) == 0) requestInterrupt(signal);
    }
  }).detach();
}

}  // namespace hengdian::cli
