// Each command run against the unit: the calls it makes, what it prints, and its exit code.
#pragma once

#include "Arguments.h"
#include "TarvenK3Cmd.h"

enum ExitCode {
  kExitDone = 0,          // done, or yes
  kExitNo = 1,            // a negative answer: no station
  kExitUsage = 2,
  kExitNoUnit = 3,        // the monitor unit is not found or does not answer
  kExitNoPortIo = 4,      // port I/O, which the radio needs, is unavailable
  kExitNoLibrary = 5,     // TarvenK3Cmd.dll or a DLL it needs cannot be loaded
  kExitInterrupted = 130,
};

// One run of k3ctl: the unit opened once, the radio opened at the first radio command, both
// kept open until the run ends.
struct Session {
  const TcxEntryPoints* library;
  int openResult;        // of tcx_OpenTARVEN
  bool radioOpen;
  bool readingCommands;  // `k3ctl -`: radio play without --for returns and the radio stays on
};

int RunCommand(Session& session, const Request& request);
