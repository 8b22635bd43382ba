// The TarvenSim_* control functions. Those that set up the simulated PC apply its settings
// (Settings.h) with the text the environment variable would hold, so that a test in-process
// and a program started with the variable set find the same PC. Those that touch its hardware
// do it as a call into the stand-ins does (StandInCall), so that they reach the hardware the
// process shares, if it shares it.
#include "SimControl.h"

#include <cstring>
#include <string>

#include "Settings.h"
#include "Simulator.h"
#include "TarvenK3Functions.h"

using sim::Pc;

namespace {

void Set(const char* variable, const std::string& value) {
  const sim::StandInCall call;
  sim::Apply(call.pc, variable, value);
}

// A number as the settings read it, unsigned: of a byte they keep the low eight bits, as a
// cast of the int would.
std::string Unsigned(int n) { return std::to_string(static_cast<unsigned>(n)); }

}  // namespace

extern "C" void __cdecl TarvenSim_Reset(void) { sim::Reset(); }
extern "C" void __cdecl TarvenSim_ResetFromEnvironment(void) {
  sim::Reset();
  sim::ConfigureFromEnvironment(Pc());
}
extern "C" void __cdecl TarvenSim_SetPortAccess(int granted) {
  Set("TARVEN_SIM_PORT_ACCESS", granted ? "granted" : "denied");
}
extern "C" void __cdecl TarvenSim_SetUnitPresent(int present) {
  Set("TARVEN_SIM_UNIT", present ? "present" : "absent");
}
extern "C" void __cdecl TarvenSim_SetModel(const char* fourCharacters) {
  Set("TARVEN_SIM_MODEL", fourCharacters);
}
extern "C" void __cdecl TarvenSim_SetFirmware(int major, int second, int third) {
  Set("TARVEN_SIM_FIRMWARE", Unsigned(major) + "." + Unsigned(second) + "." + Unsigned(third));
}
extern "C" void __cdecl TarvenSim_FailDevInfo(int fail) {
  Set("TARVEN_SIM_DEVINFO", fail ? "fails" : "ok");
}
extern "C" void __cdecl TarvenSim_FailDevStatus(int fail) {
  Set("TARVEN_SIM_DEVSTATUS", fail ? "fails" : "ok");
}
extern "C" void __cdecl TarvenSim_SetDevStatus(unsigned int statusWord, int flags) {
  Set("TARVEN_SIM_STATUS", std::to_string(statusWord) + "," + Unsigned(flags));
}
extern "C" void __cdecl TarvenSim_SetMonitor(int tilt, int dayLevel, int nightLevel) {
  Set("TARVEN_SIM_TILT", std::to_string(tilt));
  Set("TARVEN_SIM_BRIGHTNESS", std::to_string(dayLevel) + "," + std::to_string(nightLevel));
}
extern "C" void __cdecl TarvenSim_GetMonitor(int* tilt, int* dayLevel, int* nightLevel) {
  const sim::StandInCall call;
  *tilt = call.pc.monitor.tilt;
  *dayLevel = call.pc.monitor.dayLevel;
  *nightLevel = call.pc.monitor.nightLevel;
}

extern "C" void __cdecl TarvenSim_SetTuner(int presence) {
  Set("TARVEN_SIM_TUNER", presence == TARVENSIM_TUNER_ABSENT_HIGH  ? "absent-high"
                          : presence == TARVENSIM_TUNER_ABSENT_LOW ? "absent-low"
                                                                   : "present");
}
extern "C" void __cdecl TarvenSim_ClearStations(void) { Set("TARVEN_SIM_STATIONS", ""); }
extern "C" void __cdecl TarvenSim_AddStation(int band, int frequency, int stereo) {
  const sim::StandInCall call;
  call.pc.tuner.stations.push_back({band == TCX_BAND_FM ? sim::kFmBand : sim::kAmBand, frequency, stereo != 0});
}
extern "C" void __cdecl TarvenSim_SetTunerSlowCounter(int slow) {
  Set("TARVEN_SIM_TUNER_COUNTER", slow ? "slow" : "fast");
}
extern "C" int __cdecl TarvenSim_GetTunerFrame(int address, unsigned char bytes[4]) {
  const sim::StandInCall call;
  const sim::Tuner& tuner = call.pc.tuner;
  if (address != sim::Tuner::kDivisorAddress && address != sim::Tuner::kModeAddress) return 0;
  const auto& frame = address == sim::Tuner::kDivisorAddress ? tuner.divisorFrame : tuner.modeFrame;
  std::memcpy(bytes, frame.data(), frame.size());
  return 1;
}

extern "C" int __cdecl TarvenSim_SetVcd(const char* path) {
  if (!path || !*path) {
    Pc().StopVcd();
    return 0;
  }
  return Pc().StartVcd(path) ? 1 : 0;
}

extern "C" void __cdecl TarvenSim_ClearTrace(void) { Pc().trace.Clear(); }
extern "C" int __cdecl TarvenSim_TraceLength(void) { return static_cast<int>(Pc().trace.events.size()); }

extern "C" int __cdecl TarvenSim_TraceEvent(int index, TarvenSimEvent* out) {
  const auto& events = Pc().trace.events;
  if (index < 0 || static_cast<std::size_t>(index) >= events.size()) return 0;
  const sim::Event& e = events[index];
  std::memset(out, 0, sizeof(*out));
  out->kind = e.kind;
  out->port = e.port;
  out->value = e.value;
  if (e.call) std::strncpy(out->call, e.call, sizeof(out->call) - 1);
  for (int i = 0; i < 3; ++i) out->args[i] = e.args[i];
  return 1;
}

extern "C" int __cdecl TarvenSim_PortIoInitialized(void) { return Pc().portIoInitialized ? 1 : 0; }
extern "C" int __cdecl TarvenSim_OpenDeviceHandles(void) {
  const sim::StandInCall call;
  return static_cast<int>(call.pc.monitor.OpenHandleCount());
}
extern "C" int __cdecl TarvenSim_FaultCount(void) { return static_cast<int>(Pc().faults.size()); }
