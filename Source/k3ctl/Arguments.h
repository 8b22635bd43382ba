// k3ctl's command line, and each line of a `k3ctl -` session: a command with its arguments,
// and options that may stand before or after it.
#pragma once

#include <cstddef>

#include "BandScan.h"
#include "Frequency.h"

enum class Command { Help, Info, Status, Tilt, Brightness, Detect, Play, Scan, Session };

struct Request {
  Command command;
  bool json;           // --json: one JSON document on stdout
  bool quiet;          // -q: no progress, no summary on stderr
  bool forceProgress;  // --progress: progress even when stderr is not a console
  const Band* band;    // detect, play: the frequency
  int khz;
  bool tiltUp;         // tilt
  int tiltSteps;
  bool setLevels;      // brightness DAY NIGHT
  int day, night;
  double playSeconds;  // play --for; below 0 until Ctrl-C (or, in a session, until it ends)
  ScanPlan plan;       // scan
};

// args are the words after the program's name. On failure returns false with a message.
bool ParseArguments(int count, const char* const* args, Request* request, char* error, std::size_t errorSize);

// The usage text for --help.
extern const char kUsage[];
