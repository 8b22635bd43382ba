#include "Arguments.h"

#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "Commands.h"

namespace {

constexpr int kMaxWords = 8;
constexpr int kMaxLevel = 15;
constexpr int kMaxTiltSteps = 3;
constexpr int kMaxPlaySeconds = 86400;

// The usage text's summaries start in this column after the two-space indent; a longer synopsis
// has its summary on the next line.
constexpr int kSynopsisWidth = 30;

constexpr char kUsageOptions[] = "usage: k3ctl [--json] [-q] [--progress] COMMAND\n";
constexpr char kUsageNotes[] =
    "FREQ: 93.5M, 93.50MHz, 810k, 810kHz, or fm 9350 / am 810 (the library's units).\n"
    "Exit codes: 0 done or yes, 1 no station, 2 usage, 3 monitor unit not found,\n"
    "4 port I/O unavailable, 5 library not loadable, 130 interrupted.\n";

// Each value option, in ValueOption's order, and what it says when the command does not take it.
struct ValueOptionName {
  const char* name;
  const char* elsewhere;
};
constexpr char kScanRangeElsewhere[] = "--from, --to and --step are for radio scan only";
const ValueOptionName kValueOptions[kValueOptionCount] = {
    {"--from", kScanRangeElsewhere},
    {"--to", kScanRangeElsewhere},
    {"--step", kScanRangeElsewhere},
    {"--for", "--for is for radio play only"},
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

// Sorts the command line into options and words; words gets the words, in their order.
bool Split(int count, const char* const* args, Request* request, const char** word, CommandWords* words, char* error,
           std::size_t size) {
  for (int i = 0; i < count; ++i) {
    const char* arg = args[i];
    if (Same(arg, "--json")) {
      request->json = true;
    } else if (Same(arg, "-q") || Same(arg, "--quiet")) {
      request->quiet = true;
    } else if (Same(arg, "--progress")) {
      request->forceProgress = true;
    } else if (Same(arg, "-h") || Same(arg, "--help")) {
      request->help = true;
    } else if (arg[0] == '-' && arg[1] == '-') {
      int option = 0;
      while (option < kValueOptionCount && !Same(arg, kValueOptions[option].name)) ++option;
      if (option == kValueOptionCount) return Fail(error, size, "unknown option %s", arg);
      if (i + 1 == count) return Fail(error, size, "%s needs a value", arg);
      words->option[option] = args[++i];
    } else if (arg[0] == '-' && arg[1] && !std::isdigit(static_cast<unsigned char>(arg[1]))) {
      return Fail(error, size, "unknown option %s", arg);
    } else {
      if (words->count == kMaxWords) return Fail(error, size, "too many arguments");
      word[words->count++] = arg;
    }
  }
  return true;
}

// The word that names the command last: "detect" for radio detect.
const char* LastName(const Command& command) { return command.subcommand ? command.subcommand : command.name; }

// "tilt up|down [STEPS]": the command's words and its arguments, as the usage text shows them.
void Synopsis(const Command& command, char* out, std::size_t size) {
  std::snprintf(out, size, "%s%s%s%s%s", command.name, command.subcommand ? " " : "",
                command.subcommand ? command.subcommand : "", *command.arguments ? " " : "", command.arguments);
}

bool Misused(const Command& command, char* error, std::size_t size) {
  char synopsis[64];
  Synopsis(command, synopsis, sizeof synopsis);
  return Fail(error, size, "usage: %s", synopsis);
}

// "detect, play or scan": the subcommands of name, in the table's order.
void ListSubcommands(const char* name, char* out, std::size_t size) {
  int count = 0;
  for (int i = 0; i < kCommandCount; ++i) count += Same(kCommands[i].name, name);
  out[0] = '\0';
  for (int i = 0, listed = 0; i < kCommandCount; ++i) {
    if (!Same(kCommands[i].name, name)) continue;
    std::strncat(out, listed == 0 ? "" : listed == count - 1 ? " or " : ", ", size - std::strlen(out) - 1);
    std::strncat(out, kCommands[i].subcommand, size - std::strlen(out) - 1);
    ++listed;
  }
}

// The row that the first words name; *named says how many words name it.
const Command* FindCommand(const CommandWords& words, int* named, char* error, std::size_t size) {
  const char* name = words.word[0];
  bool hasSubcommands = false;
  for (int i = 0; i < kCommandCount; ++i) {
    const Command& command = kCommands[i];
    if (!Same(command.name, name)) continue;
    *named = command.subcommand ? 2 : 1;
    if (!command.subcommand || (words.count > 1 && Same(command.subcommand, words.word[1]))) return &command;
    hasSubcommands = true;
  }
  if (!hasSubcommands) {
    Fail(error, size, "unknown command '%s'", name);
    return nullptr;
  }
  char subcommands[64];
  ListSubcommands(name, subcommands, sizeof subcommands);
  if (words.count < 2)
    Fail(error, size, "%s needs %s", name, subcommands);
  else
    Fail(error, size, "unknown %s command '%s': %s", name, words.word[1], subcommands);
  return nullptr;
}

// FREQ: one word with its unit, or a band and a number in the library's unit.
bool ReadFrequency(const Command& command, const CommandWords& words, TuneArguments* tune, char* error,
                   std::size_t size) {
  if (words.count == 0) return Fail(error, size, "%s needs a frequency, such as 93.5M or 810k", LastName(command));
  const Band* band = BandNamed(words.word[0]);
  if (band) {
    if (words.count != 2)
      return Fail(error, size, "%s needs a number after the band, such as fm 9350", LastName(command));
    tune->band = band;
    return ParseBandFrequency(*band, words.word[1], &tune->khz, error, size);
  }
  if (words.count != 1) return Fail(error, size, "unexpected argument '%s'", words.word[1]);
  return ParseFrequency(words.word[0], &tune->band, &tune->khz, error, size);
}

}  // namespace

bool ReadNoArguments(const Command&, const CommandWords& words, Request*, char* error, std::size_t size) {
  return words.count == 0 || Fail(error, size, "unexpected argument '%s'", words.word[0]);
}

bool ReadTilt(const Command& command, const CommandWords& words, Request* request, char* error, std::size_t size) {
  TiltArguments& tilt = request->tilt;
  if (words.count < 1 || words.count > 2 || !(Same(words.word[0], "up") || Same(words.word[0], "down")))
    return Misused(command, error, size);
  tilt = {Same(words.word[0], "up"), 1};
  if (words.count == 2 && !ParseWhole(words.word[1], 1, kMaxTiltSteps, &tilt.steps))
    return Fail(error, size, "tilt steps must be 1, 2 or 3, not '%s'", words.word[1]);
  return true;
}

bool ReadBrightness(const Command& command, const CommandWords& words, Request* request, char* error,
                    std::size_t size) {
  LevelArguments& levels = request->levels;
  levels = {words.count > 0, 0, 0};
  if (words.count == 0) return true;
  if (words.count != 2) return Misused(command, error, size);
  for (int i = 0; i < 2; ++i)
    if (!ParseWhole(words.word[i], 0, kMaxLevel, i == 0 ? &levels.day : &levels.night))
      return Fail(error, size, "brightness levels are whole numbers 0-15, not '%s'", words.word[i]);
  return true;
}

bool ReadTune(const Command& command, const CommandWords& words, Request* request, char* error, std::size_t size) {
  TuneArguments& tune = request->tune;
  tune.playSeconds = -1;
  const char* seconds = command.options & kPlayTimeOption ? words.option[kForOption] : nullptr;
  int whole = 0;
  if (seconds && !ParseWhole(seconds, 1, kMaxPlaySeconds, &whole))
    return Fail(error, size, "--for needs whole seconds, 1 to %d, not '%s'", kMaxPlaySeconds, seconds);
  if (seconds) tune.playSeconds = whole;
  return ReadFrequency(command, words, &tune, error, size);
}

bool ReadScanPlan(const Command&, const CommandWords& words, Request* request, char* error, std::size_t size) {
  const Band* band = words.count == 1 ? BandNamed(words.word[0]) : nullptr;
  if (!band) return Fail(error, size, "radio scan needs a band, fm or am, and nothing more");
  ScanPlan& plan = request->plan;
  plan = DefaultScanPlan(*band);
  const char* const* option = words.option;
  if (option[kFromOption] && !ParseBandFrequency(*band, option[kFromOption], &plan.fromKhz, error, size)) return false;
  if (option[kToOption] && !ParseBandFrequency(*band, option[kToOption], &plan.toKhz, error, size)) return false;
  if (option[kStepOption] && !ParseStep(*band, option[kStepOption], &plan.stepKhz, error, size)) return false;
  if (plan.fromKhz > plan.toKhz) return Fail(error, size, "--from lies above --to");
  return true;
}

bool ParseArguments(int count, const char* const* args, Request* request, char* error, std::size_t errorSize) {
  *request = Request{};
  const char* word[kMaxWords];
  CommandWords words = {word, 0, {}};
  if (!Split(count, args, request, word, &words, error, errorSize)) return false;
  if (request->help) return true;
  if (words.count == 0) return Fail(error, errorSize, "no command (k3ctl --help lists them)");

  int named = 0;
  const Command* command = FindCommand(words, &named, error, errorSize);
  if (!command) return false;
  request->command = command;
  CommandWords arguments = words;
  arguments.word += named;
  arguments.count -= named;
  if (!command->read(*command, arguments, request, error, errorSize)) return false;
  for (int option = 0; option < kValueOptionCount; ++option)
    if (words.option[option] && !(command->options & 1u << option))
      return Fail(error, errorSize, "%s", kValueOptions[option].elsewhere);
  return true;
}

void PrintUsage(std::FILE* out) {
  std::fputs(kUsageOptions, out);
  for (int i = 0; i < kCommandCount; ++i) {
    char synopsis[64];
    Synopsis(kCommands[i], synopsis, sizeof synopsis);
    if (std::strlen(synopsis) + 2 <= kSynopsisWidth)
      std::fprintf(out, "  %-*s%s\n", kSynopsisWidth, synopsis, kCommands[i].summary);
    else
      std::fprintf(out, "  %s\n  %*s%s\n", synopsis, kSynopsisWidth, "", kCommands[i].summary);
  }
  std::fputs(kUsageNotes, out);
}
