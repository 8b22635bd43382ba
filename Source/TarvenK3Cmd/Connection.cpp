// The connection to the unit: two halves, the monitor unit through TarVenCOM and the PC's
// I/O ports through IO.dll, opened and reported separately.
#include "Connection.h"

#include <cstdint>

#include "ApiLock.h"
#include "LibraryState.h"
#include "PortIo.h"
#include "ParallelPortSetup.h"
#include "Radio.h"
#include "TarvenK3Cmd.h"
#include "UnitLock.h"

namespace {

constexpr DWORD kOpenMode = 0x00FE0102;

constexpr char kAcceptedModels[][5] = {"QX7A", "QX7B", "QX7C", "QX7D", "QX7E", "QX7F", "QX7G"};

std::uint32_t ModelWord(const BYTE* chars) {
  return chars[0] | chars[1] << 8 | chars[2] << 16 | static_cast<std::uint32_t>(chars[3]) << 24;
}

bool IsAcceptedModel(const TARVEN_DEV_INFO& info) {
  const std::uint32_t model = ModelWord(info.modelId);
  for (const char* accepted : kAcceptedModels)
    if (model == ModelWord(reinterpret_cast<const BYTE*>(accepted))) return true;
  return false;
}

void CloseDevice() {
  TarVen_Close(libraryState.deviceHandle);
  libraryState.deviceHandle = NoDeviceHandle();
}

// Leaves the parallel port with the radio switched off and gives port access up.
void ReleasePortIo() {
  WritePort(kParallelDataPort, kRadioClosedPattern);
  libraryState.radioOpen = 0;
  libraryState.portIoReady = 0;
  ShutdownWinIo();
}

}  // namespace

bool OpenDevice() {
  if (HasDevice()) return true;
  libraryState.deviceHandle = TarVen_Open(kOpenMode, nullptr, 0);
  if (!HasDevice()) return false;
  TARVEN_DEV_INFO info;
  if (TarVen_GetDevInfo(libraryState.deviceHandle, &info) == 0 && IsAcceptedModel(info)) return true;
  CloseDevice();
  return false;
}

// Another program mid-transfer keeps the unit lock for at most a call's length: the port is
// left as it is if the lock does not come within the unload's short wait.
void ReleaseAtUnload() {
  if (HasDevice()) TarVen_Close(libraryState.deviceHandle);
  if (libraryState.portIoReady) {
    const UnitLock lock(kUnitLockWaitAtUnloadMs);
    if (lock.MayUseBus()) WritePort(kParallelDataPort, kRadioClosedPattern);
    ShutdownWinIo();
  }
  MarkUnitOpen(false);
}

extern "C" int TCX_API tcx_OpenTARVEN(void) {
  const ApiLock lock;
  if (!libraryState.portIoReady) {
    const UnitLock unitLock;
    if (!unitLock.MayUseBus()) return TCX_OPEN_PORT_IO_UNAVAILABLE | TCX_OPEN_UNIT_UNAVAILABLE;
    libraryState.portIoReady = InitializeWinIo() ? 1 : 0;
    if (libraryState.portIoReady) SetupParallelPort();
  }
  OpenDevice();
  MarkUnitOpen(libraryState.portIoReady || HasDevice());
  const int result = (libraryState.portIoReady ? 0 : TCX_OPEN_PORT_IO_UNAVAILABLE) |
                     (HasDevice() ? 0 : TCX_OPEN_UNIT_UNAVAILABLE);
  libraryState.unitOpen = result == 0 ? 1 : 0;
  return result;
}

// A close that cannot get the unit lock changes nothing: the unit stays open for a retry.
extern "C" void TCX_API tcx_CloseTARVEN(void) {
  const ApiLock lock;
  if (libraryState.portIoReady) {
    const UnitLock unitLock;
    if (!unitLock.MayUseBus()) return;
    ReleasePortIo();
  }
  libraryState.unitOpen = 0;
  if (HasDevice()) CloseDevice();
  MarkUnitOpen(false);
}

extern "C" unsigned char TCX_API tcx_IsOpenTARVEN(void) {
  const ApiLock lock;
  return libraryState.unitOpen;
}
