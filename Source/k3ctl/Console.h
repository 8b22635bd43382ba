// The console around k3ctl: Ctrl-C and Ctrl-Break ask the running command to stop instead
// of ending the process, so that a scan can print what it found and the library can close
// the unit; and whether stderr is a console, where progress goes by default. The host build
// (for the tests) has the same with SIGINT and the terminal.
#pragma once

// Non-zero once Ctrl-C or Ctrl-Break was pressed.
extern volatile long stopRequested;

void CatchInterrupts();

bool StderrIsConsole();

// Waits for seconds, or with seconds below 0 until a stop; false when a stop ended the wait.
bool WaitUnlessStopped(double seconds);
