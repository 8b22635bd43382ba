#include "Console.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include "Clock.h"

volatile long stopRequested = 0;

namespace {

constexpr int kPollMs = 50;

#if defined(_WIN32)
// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  stopRequested = 1;
  return TRUE;
}

void Pause(int milliseconds) { Sleep(milliseconds); }
#else
void OnInterrupt(int) { stopRequested = 1; }

void Pause(int milliseconds) { usleep(milliseconds * 1000); }
#endif

}  // namespace

#if defined(_WIN32)
void CatchInterrupts() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool StderrIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}
#else
void CatchInterrupts() { signal(SIGINT, OnInterrupt); }

bool StderrIsConsole() { return isatty(STDERR_FILENO) != 0; }
#endif

bool WaitUnlessStopped(double seconds) {
  const double end = MonotonicSeconds() + seconds;
  while (!stopRequested) {
    if (seconds >= 0 && MonotonicSeconds() >= end) return true;
    Pause(kPollMs);
  }
  return false;
}
