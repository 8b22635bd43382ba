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
  pc.RecordCall("TarVen_Open(0x%lX) = 0x%X", static_cast<unsigned long>(mode), static_cast<unsigned>(handle));
  if (sim::ProgramRecord* program = handle ? pc.ThisProgram() : nullptr) ++program->openHandles;
  return handle ? reinterpret_cast<HANDLE>(handle) : NoDeviceHandle();
}

extern "C" void WINAPIV TarVen_Close(HANDLE device) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_Close", Raw(device));
  pc.RecordCall("TarVen_Close(0x%X)", static_cast<unsigned>(Raw(device)));
  if (!CheckHandle(pc, device, "TarVen_Close")) return;
  pc.monitor.Close(Raw(device));
  if (sim::ProgramRecord* program = pc.ThisProgram()) program->openHandles -= program->openHandles > 0;
}

extern "C" int WINAPIV TarVen_GetDevInfo(HANDLE device, TARVEN_DEV_INFO* info) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_GetDevInfo", Raw(device));
  if (!CheckHandle(pc, device, "TarVen_GetDevInfo")) return -1;
  std::uint8_t record[16];
  const bool read = pc.monitor.GetDevInfo(record);
  pc.RecordCall("TarVen_GetDevInfo(0x%X) = %d", static_cast<unsigned>(Raw(device)), read ? 0 : 1);
  if (!read) return 1;
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
  const bool read = pc.monitor.GetDevStatus(record);
  pc.RecordCall("TarVen_GetDevStatus(0x%X) = %d", static_cast<unsigned>(Raw(device)), read ? 0 : 1);
  if (!read) return 1;
  static_assert(sizeof(*status) == sizeof(record), "record sizes agree");
  std::memcpy(status, record, sizeof(record));
  return 0;
}

extern "C" int WINAPIV TarVen_SetMonitorTiltUp(HANDLE device, BYTE steps) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_SetMonitorTiltUp", Raw(device), steps);
  if (!CheckHandle(pc, device, "TarVen_SetMonitorTiltUp")) return -1;
  const int result = pc.monitor.Tilt(steps) ? 0 : 1;
  pc.RecordCall("TarVen_SetMonitorTiltUp(0x%X, %d) = %d", static_cast<unsigned>(Raw(device)), steps, result);
  return result;
}

extern "C" int WINAPIV TarVen_SetMonitorTiltDown(HANDLE device, BYTE steps) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_SetMonitorTiltDown", Raw(device), steps);
  if (!CheckHandle(pc, device, "TarVen_SetMonitorTiltDown")) return -1;
  const int result = pc.monitor.Tilt(-static_cast<int>(steps)) ? 0 : 1;
  pc.RecordCall("TarVen_SetMonitorTiltDown(0x%X, %d) = %d", static_cast<unsigned>(Raw(device)), steps, result);
  return result;
}

extern "C" int WINAPIV TarVen_SetMonitorBrightness(HANDLE device, BYTE dayLevel, BYTE nightLevel) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  pc.trace.Call("TarVen_SetMonitorBrightness", Raw(device), dayLevel, nightLevel);
  if (!CheckHandle(pc, device, "TarVen_SetMonitorBrightness")) return -1;
  const int result = pc.monitor.SetBrightness(dayLevel, nightLevel) ? 0 : 1;
  pc.RecordCall("TarVen_SetMonitorBrightness(0x%X, %d, %d) = %d", static_cast<unsigned>(Raw(device)), dayLevel,
                nightLevel, result);
  return result;
}
