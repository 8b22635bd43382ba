// k3ctl's commands, one row each in kCommands: the words that name it, its usage line, how its
// arguments are read, what it needs open and what runs it. The command line's parser, the usage
// text and RunCommand all follow from the table: a new command is a row and its runner.
#pragma once

#include "Arguments.h"
#include "TcxEntryPoints.h"

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

// What a command needs before it runs. RunCommand refuses it, with the exit code that says
// what is missing, when the unit is not found or the radio cannot be opened; `k3ctl -` refuses
// a line whose command needs stdin, which the session reads, or the PC as it is.
enum class Needs {
  Nothing,
  Unit,   // the monitor unit found
  Radio,  // the radio opened, which needs port I/O
  Stdin,  // the run's own standard input
  Pc,     // the PC as it is: nothing loaded or opened before it runs (doctor)
};

struct Command {
  const char* name;        // "tilt", "radio"
  const char* subcommand;  // "detect"; nullptr when the name alone is the command
  const char* arguments;   // as the usage text shows them: "up|down [STEPS]"
  const char* summary;     // the usage text's description
  ArgumentReader* read;
  unsigned options;        // the value options it takes (ValueOption bits)
  Needs needs;
  int (*run)(Session& session, const Request& request);
};

extern const Command kCommands[];
extern const int kCommandCount;

// Runs the request's command once what it needs is open; its exit code.
int RunCommand(Session& session, const Request& request);
