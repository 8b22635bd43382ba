#include "Arguments.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char kUsage[] =
    "usage: k3ctl [--json] [-q] [--progress] COMMAND\n"
    "  info                          port I/O, monitor unit, firmware, brightness\n"
    "  status                        the unit's three status bits\n"
    "  tilt up|down [STEPS]          tilt by 1-3 steps (default 1)\n"
    "  brightness [DAY NIGHT]        read both levels, or set them (0-15 each)\n"
    "  radio detect FREQ             tune and detect: exit 0 station, 1 none\n"
    "  radio play FREQ [--for SECS]  tune and keep the radio on until Ctrl-C, or for SECS\n"
    "  radio scan fm|am [--from F] [--to F] [--step S]\n"
    "                                band scan, one line per station\n"
    "  -                             commands from stdin, one per line, in one session\n"
    "FREQ: 93.5M, 93.50MHz, 810k, 810kHz, or fm 9350 / am 810 (the library's units).\n"
    "Exit codes: 0 done or yes, 1 no station, 2 usage, 3 monitor unit not found,\n"
    "4 port I/O unavailable, 5 library not loadable, 130 interrupted.\n";

namespace {

constexpr int kMaxWords = 8;
constexpr int kMaxLevel = 15;
constexpr int kMaxTiltSteps = 3;
constexpr int kMaxPlaySeconds = 86400;

// The command line split into words and options.
struct Words {
  const char* word[kMaxWords];
  int count;
  const char* from;
  const char* to;
  const char* step;
  const char* forSeconds;
};

__attribute__((format(printf, 3, 4))) bool Fail(char* error, std::size_t size, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::vsnprintf(error, size, format, args);
  va_end(args);
  return false;
}

bool Same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// A whole number from low to high, digits only.
bool ParseWhole(const char* text, int low, int high, int* value) {
  if (!*text || std::strlen(text) > 6) return false;
  for (const char* p = text; *p; ++p)
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  *value = std::atoi(text);
  return *value >= low && *value <= high;
}

bool Split(int count, const char* const* args, Request* request, Words* words, char* error, std::size_t size) {
  struct ValueOption {
    const char* name;
    const char** value;
  };
  const ValueOption valueOptions[] = {
      {"--from", &words->from}, {"--to", &words->to}, {"--step", &words->step}, {"--for", &words->forSeconds}};
  for (int i = 0; i < count; ++i) {
    const char* arg = args[i];
    if (Same(arg, "--json")) {
      request->json = true;
    } else if (Same(arg, "-q") || Same(arg, "--quiet")) {
      request->quiet = true;
    } else if (Same(arg, "--progress")) {
      request->forceProgress = true;
    } else if (Same(arg, "-h") || Same(arg, "--help")) {
      request->command = Command::Help;
    } else if (arg[0] == '-' && arg[1] == '-') {
      const ValueOption* option = nullptr;
      for (const ValueOption& candidate : valueOptions)
        if (Same(arg, candidate.name)) option = &candidate;
      if (!option) return Fail(error, size, "unknown option %s", arg);
      if (i + 1 == count) return Fail(error, size, "%s needs a value", arg);
      *option->value = args[++i];
    } else if (arg[0] == '-' && arg[1] && !std::isdigit(static_cast<unsigned char>(arg[1]))) {
      return Fail(error, size, "unknown option %s", arg);
    } else {
      if (words->count == kMaxWords) return Fail(error, size, "too many arguments");
      words->word[words->count++] = arg;
    }
  }
  return true;
}

// FREQ: one word with its unit, or a band and a number in the library's unit.
bool ParseFrequencyWords(const Words& words, int first, Request* request, char* error, std::size_t size) {
  if (words.count <= first) return Fail(error, size, "%s needs a frequency, such as 93.5M or 810k", words.word[1]);
  const Band* band = BandNamed(words.word[first]);
  if (band) {
    if (words.count != first + 2) return Fail(error, size, "%s needs a number after the band, such as fm 9350", words.word[1]);
    request->band = band;
    return ParseBandFrequency(*band, words.word[first + 1], &request->khz, error, size);
  }
  if (words.count != first + 1) return Fail(error, size, "unexpected argument '%s'", words.word[first + 1]);
  return ParseFrequency(words.word[first], &request->band, &request->khz, error, size);
}

bool ParseScanPlan(const Words& words, Request* request, char* error, std::size_t size) {
  const Band* band = words.count == 3 ? BandNamed(words.word[2]) : nullptr;
  if (!band) return Fail(error, size, "radio scan needs a band, fm or am, and nothing more");
  request->plan = DefaultScanPlan(*band);
  ScanPlan& plan = request->plan;
  if (words.from && !ParseBandFrequency(*band, words.from, &plan.fromKhz, error, size)) return false;
  if (words.to && !ParseBandFrequency(*band, words.to, &plan.toKhz, error, size)) return false;
  if (words.step && !ParseStep(*band, words.step, &plan.stepKhz, error, size)) return false;
  if (plan.fromKhz > plan.toKhz) return Fail(error, size, "--from lies above --to");
  return true;
}

bool ParseRadio(const Words& words, Request* request, char* error, std::size_t size) {
  if (words.count < 2) return Fail(error, size, "radio needs detect, play or scan");
  const char* action = words.word[1];
  if (Same(action, "scan")) {
    request->command = Command::Scan;
    return ParseScanPlan(words, request, error, size);
  }
  if (Same(action, "detect")) {
    request->command = Command::Detect;
  } else if (Same(action, "play")) {
    request->command = Command::Play;
    int seconds = 0;
    if (words.forSeconds && !ParseWhole(words.forSeconds, 1, kMaxPlaySeconds, &seconds))
      return Fail(error, size, "--for needs whole seconds, 1 to %d, not '%s'", kMaxPlaySeconds, words.forSeconds);
    if (words.forSeconds) request->playSeconds = seconds;
  } else {
    return Fail(error, size, "unknown radio command '%s': detect, play or scan", action);
  }
  return ParseFrequencyWords(words, 2, request, error, size);
}

bool ParseMonitor(const Words& words, Request* request, char* error, std::size_t size) {
  const char* command = words.word[0];
  if (Same(command, "tilt")) {
    request->command = Command::Tilt;
    if (words.count < 2 || words.count > 3 || !(Same(words.word[1], "up") || Same(words.word[1], "down")))
      return Fail(error, size, "usage: tilt up|down [STEPS]");
    request->tiltUp = Same(words.word[1], "up");
    if (words.count == 3 && !ParseWhole(words.word[2], 1, kMaxTiltSteps, &request->tiltSteps))
      return Fail(error, size, "tilt steps must be 1, 2 or 3, not '%s'", words.word[2]);
    return true;
  }
  if (Same(command, "brightness")) {
    request->command = Command::Brightness;
    if (words.count == 1) return true;
    if (words.count != 3) return Fail(error, size, "usage: brightness [DAY NIGHT]");
    request->setLevels = true;
    for (int i = 1; i < 3; ++i)
      if (!ParseWhole(words.word[i], 0, kMaxLevel, i == 1 ? &request->day : &request->night))
        return Fail(error, size, "brightness levels are whole numbers 0-15, not '%s'", words.word[i]);
    return true;
  }
  if (Same(command, "info") || Same(command, "status")) {
    request->command = Same(command, "info") ? Command::Info : Command::Status;
    return words.count == 1 || Fail(error, size, "unexpected argument '%s'", words.word[1]);
  }
  return Fail(error, size, "unknown command '%s'", command);
}

}  // namespace

bool ParseArguments(int count, const char* const* args, Request* request, char* error, std::size_t errorSize) {
  *request = Request{};
  request->command = Command::Info;
  request->tiltSteps = 1;
  request->playSeconds = -1;
  Words words = {};
  if (!Split(count, args, request, &words, error, errorSize)) return false;
  if (request->command == Command::Help) return true;
  if (words.count == 0) return Fail(error, errorSize, "no command (k3ctl --help lists them)");

  bool parsed = false;
  if (Same(words.word[0], "-")) {
    request->command = Command::Session;
    parsed = words.count == 1 || Fail(error, errorSize, "unexpected argument '%s'", words.word[1]);
  } else if (Same(words.word[0], "radio")) {
    parsed = ParseRadio(words, request, error, errorSize);
  } else {
    parsed = ParseMonitor(words, request, error, errorSize);
  }
  if (!parsed) return false;
  if ((words.from || words.to || words.step) && request->command != Command::Scan)
    return Fail(error, errorSize, "--from, --to and --step are for radio scan only");
  if (words.forSeconds && request->command != Command::Play) return Fail(error, errorSize, "--for is for radio play only");
  return true;
}
