// The functions of the maker's device library TarVenCOM, served by the simulated monitor unit.
#include <cstdint>
#include <cstring>
#include <string>

#include "Simulator.h"
#include "TarVenCom.h"

namespace {

std::uintptr_t Raw(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// True when handle is one the unit has open; otherwise records the fault.
bool CheckHandle(sim::SimulatedPc& pc, HANDLE handle, const char* call) {
  if (pc.monitor.IsOpenHandle(Raw(handle))) return true;
  pc.Fault(std::string(call) + " with a handle that is not open");
  return false;
}

}  // namespace

extern "C" HANDLE WINAPIV TarVen_Open(DWORD mode, HWND notifyWindow, UINT notifyMessage) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_Open", mode, reinterpret_cast<std::uintptr_t>(notifyWindow), notifyMessage);
  const std::uintptr_t handle = pc.monitor.Open();
  return handle ? reinterpret_cast<HANDLE>(handle) : NoDeviceHandle();
}

extern "C" void WINAPIV TarVen_Close(HANDLE device) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_Close", Raw(device));
  if (CheckHandle(pc, device, "TarVen_Close")) pc.monitor.Close(Raw(device));
}

extern "C" int WINAPIV TarVen_GetDevInfo(HANDLE device, TARVEN_DEV_INFO* info) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_GetDevInfo", Raw(device));
  if (!CheckHandle(pc, device, "TarVen_GetDevInfo")) return -1;
  std::uint8_t record[16];
  if (!pc.monitor.GetDevInfo(record)) return 1;
  static_assert(sizeof(*info) == sizeof(record), "record sizes agree");
  std::memcpy(info, record, sizeof(record));
  return 0;
}

extern "C" int WINAPIV TarVen_GetDevStatus(HANDLE device, TARVEN_DEV_STATUS* status) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_GetDevStatus", Raw(device));
  if (!CheckHandle(pc, device, "TarVen_GetDevStatus")) return -1;
  std::uint8_t record[9];
  if (!pc.monitor.GetDevStatus(record)) return 1;
  static_assert(sizeof(*status) == sizeof(record), "record sizes agree");
  std::memcpy(status, record, sizeof(record));
  return 0;
}

extern "C" int WINAPIV TarVen_SetMonitorTiltUp(HANDLE device, BYTE steps) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_SetMonitorTiltUp", Raw(device), steps);
  if (!CheckHandle(pc, device, "TarVen_SetMonitorTiltUp")) return -1;
  return pc.monitor.Tilt(steps) ? 0 : 1;
}

extern "C" int WINAPIV TarVen_SetMonitorTiltDown(HANDLE device, BYTE steps) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_SetMonitorTiltDown", Raw(device), steps);
  if (!CheckHandle(pc, device, "TarVen_SetMonitorTiltDown")) return -1;
  return pc.monitor.Tilt(-static_cast<int>(steps)) ? 0 : 1;
}

extern "C" int WINAPIV TarVen_SetMonitorBrightness(HANDLE device, BYTE dayLevel, BYTE nightLevel) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_SetMonitorBrightness", Raw(device), dayLevel, nightLevel);
  if (!CheckHandle(pc, device, "TarVen_SetMonitorBrightness")) return -1;
  return pc.monitor.SetBrightness(dayLevel, nightLevel) ? 0 : 1;
}
