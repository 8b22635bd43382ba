// TarvenK3Sim.exe: the simulated PC that programs using the simulator's two DLLs join, shown in
// a window and changed from it while they run; and the same from a script.
//   TarvenK3Sim.exe                    the window
//   TarvenK3Sim.exe set KEY=VALUE ...  changes the running PC (keys: TARVEN_SIM_* in lower case
//                                      without the prefix); each change holds from every
//                                      program's next call
//   TarvenK3Sim.exe state [--json]     prints the running PC as the window shows it
// Exit codes: 0 done, 2 a bad command, key or value (nothing changed), 3 no simulated PC runs.
// A console program, so that scripts wait for it and see its exit code; started on its own,
// it gives its console back and shows only the window.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PcState.h"
#include "Settings.h"
#include "SimWindow.h"
#include "Simulator.h"

namespace {

enum Exit { kDone = 0, kBadCommand = 2, kNoPc = 3 };

constexpr char kUsage[] =
    "usage: TarvenK3Sim.exe                    the simulated PC in a window\n"
    "       TarvenK3Sim.exe set KEY=VALUE ...  change the running PC, e.g. unit=absent tilt=5\n"
    "       TarvenK3Sim.exe state [--json]     print the running PC\n";

int Refuse(int code, const std::string& message) {
  std::fprintf(stderr, "TarvenK3Sim: %s\n", message.c_str());
  return code;
}

// The window's PC, joined; false when none runs.
bool JoinRunningPc(sim::SimulatedPc& pc) {
  const std::string name = sim::WindowPcName();
  return sim::SharedPcExists(name) && sim::ShareHardwareNamed(pc, name);
}

int Set(const std::vector<std::string>& assignments) {
  std::string error;
  sim::SimulatedPc trial;  // the values are read first, so a bad one is refused with or without a PC
  if (assignments.empty()) return Refuse(kBadCommand, "set needs KEY=VALUE");
  if (!sim::SetKeys(trial, assignments, &error)) return Refuse(kBadCommand, error);
  sim::SimulatedPc pc;
  if (!JoinRunningPc(pc)) return Refuse(kNoPc, "no simulated PC is running: start TarvenK3Sim.exe first");
  const bool loaded = pc.BeginCall();
  sim::SetKeys(pc, assignments, &error);
  std::string text = "set";
  for (const std::string& assignment : assignments) text += " " + assignment;
  pc.Record(text);
  pc.EndCall(loaded);
  return kDone;
}

int State(bool json) {
  sim::SimulatedPc pc;
  if (!JoinRunningPc(pc)) return Refuse(kNoPc, "no simulated PC is running: start TarvenK3Sim.exe first");
  const bool loaded = pc.BeginCall();
  const sim::PcState state = sim::StateOf(pc);
  pc.EndCall(loaded);
  const std::string text = json ? sim::StateJson(state) : sim::StateText(state);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();  // a console of its own: not needed
    return RunSimWindow();
  }
  if (args[0] == "set") return Set({args.begin() + 1, args.end()});
  if (args[0] == "state" && args.size() <= 2 && (args.size() == 1 || args[1] == "--json"))
    return State(args.size() == 2);
  if (args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, stdout);
    return kDone;
  }
  std::fputs(kUsage, stderr);
  return kBadCommand;
}
