// The simulated PC as TarvenK3Sim.exe shows it, in its window and to scripts (`state`,
// `state --json`): every setting a running PC takes, with its value now; the radio as tuned;
// the programs that use the PC, the unit lock, and the last calls they made.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "PcRecords.h"
#include "Tuner.h"

namespace sim {

class SimulatedPc;

struct PcState {
  std::vector<std::pair<std::string, std::string>> settings;  // key, value: what `set` takes
  int tilt = 0, day = 0, night = 0;
  bool radioOn = false;  // the radio-off line low, as a program drove it
  Tuner::Tuning tuning{};
  int openHandles = 0;   // of the monitor unit, by every program
  std::vector<ProgramRecord> programs;  // those still running
  bool unitLockHeld = false;
  std::vector<CallRecord> calls;        // oldest first
};

// The state of pc, which holds its shared hardware now (inside a call); with the records of
// the programs when it shares it by name.
PcState StateOf(const SimulatedPc& pc);

// "93.50 MHz", "810 kHz": a frequency in its band's unit as k3ctl prints it; 0: "not tuned".
std::string FrequencyText(RadioBand band, int frequency);
// "FM 93.50 MHz", "AM 810 kHz": the band and frequency tuned.
std::string TunedText(const Tuner::Tuning& tuning);
// "off", or "on, FM 93.50 MHz, station, stereo": the radio as the programs left it.
std::string RadioText(const PcState& state);
// "app.exe (pid 12): 1 unit handle, port I/O": a program that uses the PC.
std::string ProgramText(const ProgramRecord& program);
// "14:03:05.120": a call's time of day.
std::string TimeOfDay(std::uint64_t atMs);

std::string StateText(const PcState& state);
std::string StateJson(const PcState& state);

}  // namespace sim
