// k3ctl's command line, and each line of a `k3ctl -` session: the words that name a command of
// the table (Commands.h), its arguments, and options that may stand before or after it.
#pragma once

#include <cstddef>
#include <cstdio>

#include "BandScan.h"
#include "Frequency.h"

struct Command;

// The options that take a value. A command takes those its row names; given to another, each
// is a usage error.
enum ValueOption { kFromOption, kToOption, kStepOption, kForOption, kValueOptionCount };
constexpr unsigned kScanRangeOptions = 1u << kFromOption | 1u << kToOption | 1u << kStepOption;
constexpr unsigned kPlayTimeOption = 1u << kForOption;

// A command's words after those that name it, and each value option's text (nullptr: not given).
struct CommandWords {
  const char* const* word;
  int count;
  const char* option[kValueOptionCount];
};

// What the commands' arguments are read into, each command its own.
struct TiltArguments {
  bool up;
  int steps;
};
struct LevelArguments {  // brightness [DAY NIGHT]
  bool set;
  int day, night;
};
struct TuneArguments {  // radio detect and play
  const Band* band;
  int khz;
  double playSeconds;  // play --for; below 0 until Ctrl-C (or, in a session, until it ends)
};

struct Request {
  const Command* command;  // nullptr with --help
  bool help;               // -h, --help: the usage text
  bool json;               // --json: one JSON document on stdout
  bool quiet;              // -q: no progress, no summary on stderr
  bool forceProgress;      // --progress: progress even when stderr is not a console
  union {
    TiltArguments tilt;
    LevelArguments levels;
    TuneArguments tune;
    ScanPlan plan;  // radio scan
  };
};

// args are the words after the program's name. On failure returns false with a message.
bool ParseArguments(int count, const char* const* args, Request* request, char* error, std::size_t errorSize);

// The usage text for --help: a line per command of the table.
void PrintUsage(std::FILE* out);

// The argument readers of the table's rows, all of one type. Each checks the words after its
// command's name and fills the command's part of request; on failure it returns false with a
// message. ReadTune reads FREQ, and --for when the command takes it.
using ArgumentReader = bool(const Command& command, const CommandWords& words, Request* request, char* error,
                            std::size_t errorSize);
ArgumentReader ReadNoArguments, ReadTilt, ReadBrightness, ReadTune, ReadScanPlan;
