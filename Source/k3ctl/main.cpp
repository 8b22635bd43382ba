// k3ctl: the TARVEN K3 monitor unit from the command line. Results go to stdout, messages to
// stderr; the exit code tells a script what happened (Commands.h).
#include <cstdio>

#include "Arguments.h"
#include "Commands.h"
#include "Console.h"
#include "LibraryLoader.h"

int main(int argc, char** argv) {
  Request request;
  char error[512];
  if (!ParseArguments(argc - 1, argv + 1, &request, error, sizeof error)) {
    std::fprintf(stderr, "k3ctl: %s\n", error);
    return kExitUsage;
  }
  if (request.help) {
    PrintUsage(stdout);
    return kExitDone;
  }
  if (request.command->needs == Needs::Pc) {
    Session nothingOpen = {};
    return RunCommand(nothingOpen, request);
  }
  TcxEntryPoints library;
  if (!LoadTarvenK3(&library, error, sizeof error)) {
    std::fprintf(stderr, "k3ctl: %s\n", error);
    return kExitNoLibrary;
  }
  CatchInterrupts();
  Session session = {&library, library.OpenTARVEN(), false, false};
  int code = RunCommand(session, request);
  // Closing switches the radio off.
  library.CloseTARVEN();
  if (stopRequested) {
    std::fprintf(stderr, "k3ctl: interrupted\n");
    code = kExitInterrupted;
  }
  return code;
}
