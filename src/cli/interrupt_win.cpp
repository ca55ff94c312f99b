// Windows: the console's control handler runs on a thread of its own for each event.

#include <csignal>

#include "cli/interrupt.h"
#include "runtime/windows_api.h"

namespace hengdian::cli {

namespace {

/// How long a console close waits for the run to tidy up; Windows ends the process after 5 s.
constexpr DWORD kCloseGraceMs = 4000;

BOOL WINAPI onConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      requestInterrupt(SIGINT);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The process ends when this returns, so the run gets a moment to remove its files first.
      requestInterrupt(SIGTERM);
      Sleep(kCloseGraceMs);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void watchInterrupts() {
  SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

}  // namespace hengdian::cli
