#include "SimControl.h"

#include <cstring>
#include <string>

#include "Simulator.h"

using sim::Pc;

extern "C" void __cdecl TarvenSim_Reset(void) { sim::Reset(); }
extern "C" void __cdecl TarvenSim_ResetFromEnvironment(void) {
  sim::Reset();
  sim::ConfigureFromEnvironment(Pc());
}
extern "C" void __cdecl TarvenSim_SetPortAccess(int granted) { Pc().portAccessGranted = granted != 0; }
extern "C" void __cdecl TarvenSim_SetUnitPresent(int present) { Pc().monitor.present = present != 0; }
extern "C" void __cdecl TarvenSim_SetModel(const char* fourCharacters) {
  Pc().monitor.modelId = std::string(fourCharacters).substr(0, 4);
}
extern "C" void __cdecl TarvenSim_SetFirmware(int major, int second, int third) {
  Pc().monitor.fwMajor = static_cast<std::uint8_t>(major);
  Pc().monitor.fwSecond = static_cast<std::uint8_t>(second);
  Pc().monitor.fwThird = static_cast<std::uint8_t>(third);
}
extern "C" void __cdecl TarvenSim_FailDevInfo(int fail) { Pc().monitor.failGetDevInfo = fail != 0; }

extern "C" void __cdecl TarvenSim_FailDevStatus(int fail) { Pc().monitor.failGetDevStatus = fail != 0; }
extern "C" void __cdecl TarvenSim_SetDevStatus(unsigned int statusWord, int flags) {
  Pc().monitor.statusWord = statusWord;
  Pc().monitor.flags = static_cast<std::uint8_t>(flags);
}
extern "C" void __cdecl TarvenSim_SetMonitor(int tilt, int dayLevel, int nightLevel) {
  Pc().monitor.tilt = tilt;
  Pc().monitor.dayLevel = dayLevel;
  Pc().monitor.nightLevel = nightLevel;
}
extern "C" void __cdecl TarvenSim_GetMonitor(int* tilt, int* dayLevel, int* nightLevel) {
  *tilt = Pc().monitor.tilt;
  *dayLevel = Pc().monitor.dayLevel;
  *nightLevel = Pc().monitor.nightLevel;
}

extern "C" void __cdecl TarvenSim_SetTuner(int presence) {
  using Presence = sim::Tuner::Presence;
  Pc().tuner.presence = presence == TARVENSIM_TUNER_ABSENT_HIGH  ? Presence::AbsentHigh
                        : presence == TARVENSIM_TUNER_ABSENT_LOW ? Presence::AbsentLow
                                                                 : Presence::Present;
}
extern "C" void __cdecl TarvenSim_ClearStations(void) { Pc().tuner.stations.clear(); }
extern "C" void __cdecl TarvenSim_AddStation(int band, int frequency, int stereo) {
  Pc().tuner.stations.push_back({band == 0 ? sim::kFmBand : sim::kAmBand, frequency, stereo != 0});
}
extern "C" void __cdecl TarvenSim_SetTunerSlowCounter(int slow) { Pc().tuner.slowCounter = slow != 0; }
extern "C" int __cdecl TarvenSim_GetTunerFrame(int address, unsigned char bytes[4]) {
  const sim::Tuner& tuner = Pc().tuner;
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
  return static_cast<int>(Pc().monitor.OpenHandleCount());
}
extern "C" int __cdecl TarvenSim_FaultCount(void) { return static_cast<int>(Pc().faults.size()); }
