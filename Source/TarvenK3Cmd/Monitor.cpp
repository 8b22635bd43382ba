// Monitor control: firmware version, status, tilt and backlight brightness, each a thin step
// over the device library. They need only the device handle, not port I/O.
#include <cstdint>

#include "ApiLock.h"
#include "LibraryState.h"
#include "TarvenK3Cmd.h"

namespace {

constexpr int kMinTiltSteps = 1;
constexpr int kMaxTiltSteps = 3;

// Bits reported by tcx_GetDevStatus.
constexpr std::uint32_t kStatusBit12 = 1u << 12;
constexpr std::uint32_t kStatusBit8 = 1u << 8;
constexpr BYTE kFlagBit1 = 1u << 1;

BYTE TiltSteps(int steps) {
  if (steps < kMinTiltSteps) return kMinTiltSteps;
  if (steps > kMaxTiltSteps) return kMaxTiltSteps;
  return static_cast<BYTE>(steps);
}

std::uint32_t StatusWord(const TARVEN_DEV_STATUS& status) {
  const BYTE* w = status.statusWord;
  return w[0] | w[1] << 8 | w[2] << 16 | static_cast<std::uint32_t>(w[3]) << 24;
}

bool ReadDevStatus() {
  return TarVen_GetDevStatus(libraryState.deviceHandle, &libraryState.devStatus) == 0;
}

}  // namespace

// A null version or status pointer is refused without calling the device library.
extern "C" unsigned char TCX_API tcx_GetFwVersion(unsigned char* version) {
  const ApiLock lock;
  if (!HasDevice() || version == nullptr) return 0;
  version[0] = version[1] = version[2] = 0;
  TARVEN_DEV_INFO info;
  if (TarVen_GetDevInfo(libraryState.deviceHandle, &info) != 0) return 0;
  version[0] = info.fwMajor;
  version[1] = info.fwPacked >> 4;
  version[2] = info.fwPacked & 0x0F;
  return 1;
}

extern "C" unsigned char TCX_API tcx_GetDevStatus(unsigned char* status) {
  const ApiLock lock;
  if (!HasDevice() || status == nullptr) return 0;
  if (!ReadDevStatus()) return 0;
  const std::uint32_t word = StatusWord(libraryState.devStatus);
  status[0] = (word & kStatusBit12) ? 1 : 0;
  status[1] = (libraryState.devStatus.flags & kFlagBit1) ? 1 : 0;
  status[2] = (word & kStatusBit8) ? 1 : 0;
  return 1;
}

extern "C" unsigned char TCX_API tcx_TiltUp(int steps) {
  const ApiLock lock;
  if (!HasDevice()) return 0;
  TarVen_SetMonitorTiltUp(libraryState.deviceHandle, TiltSteps(steps));
  return 1;
}

extern "C" unsigned char TCX_API tcx_TiltDown(int steps) {
  const ApiLock lock;
  if (!HasDevice()) return 0;
  TarVen_SetMonitorTiltDown(libraryState.deviceHandle, TiltSteps(steps));
  return 1;
}

extern "C" unsigned char TCX_API tcx_SetMonitorBrightness(int dayLevel, int nightLevel) {
  const ApiLock lock;
  if (!HasDevice()) return 0;
  TarVen_SetMonitorBrightness(libraryState.deviceHandle, static_cast<BYTE>(dayLevel),
                              static_cast<BYTE>(nightLevel));
  return 1;
}

extern "C" int TCX_API tcx_GetMonitorBrightness(int selector) {
  const ApiLock lock;
  if (!HasDevice()) return 0;
  if (!ReadDevStatus()) return 0;
  const BYTE levels = libraryState.devStatus.brightness;
  // The night level is the low nibble, the day level the high one.
  return selector == TCX_NIGHT_LEVEL ? (levels & 0x0F) : (levels >> 4);
}
