#include "Session.h"

#include <cstdio>
#include <cstring>

#include "Console.h"

namespace {

constexpr int kLineSize = 512;
constexpr int kMaxLineWords = 24;

// Splits line in place at blanks; returns the number of words.
int SplitWords(char* line, const char* words[]) {
  int count = 0;
  for (char* word = std::strtok(line, " \t\r\n"); word && count < kMaxLineWords; word = std::strtok(nullptr, " \t\r\n"))
    words[count++] = word;
  return count;
}

int LineError(int number, const char* message) {
  std::fprintf(stderr, "k3ctl: line %d: %s\n", number, message);
  return kExitUsage;
}

}  // namespace

int RunCommandLines(Session& session, const Request& options) {
  session.readingCommands = true;
  char line[kLineSize];
  int code = kExitDone;
  for (int number = 1; !stopRequested && std::fgets(line, sizeof line, stdin); ++number) {
    if (!std::strchr(line, '\n') && !std::feof(stdin)) {
      for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {}
      code = LineError(number, "line too long");
      continue;
    }
    const char* words[kMaxLineWords];
    const int count = SplitWords(line, words);
    if (count == 0 || words[0][0] == '#') continue;
    Request request;
    char error[256];
    if (!ParseArguments(count, words, &request, error, sizeof error)) {
      code = LineError(number, error);
    } else if (request.help || request.command->needs == Needs::Stdin) {
      code = LineError(number, "not a command of the unit");
    } else if (request.command->needs == Needs::Pc) {
      code = LineError(number, "doctor runs on its own, not in a session");
    } else {
      request.json |= options.json;
      request.quiet |= options.quiet;
      request.forceProgress |= options.forceProgress;
      code = RunCommand(session, request);
    }
    std::fflush(stdout);
  }
  return stopRequested ? kExitInterrupted : code;
}
