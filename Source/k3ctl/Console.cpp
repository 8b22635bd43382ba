#include "Console.h"

#include <windows.h>

#include "Clock.h"

volatile long stopRequested = 0;

namespace {

constexpr DWORD kPollMs = 50;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  stopRequested = 1;
  return TRUE;
}

}  // namespace

void CatchInterrupts() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool StderrIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool WaitUnlessStopped(double seconds) {
  const double end = MonotonicSeconds() + seconds;
  while (!stopRequested) {
    if (seconds >= 0 && MonotonicSeconds() >= end) return true;
    Sleep(kPollMs);
  }
  return false;
}
