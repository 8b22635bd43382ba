// The maker's device access library TarVenCOM as this library uses it: caller-pops functions
// exported under their plain names, and the two records they fill.
#pragma once

#include <cstdint>

#include "PlatformTypes.h"

// Identification record filled by TarVen_GetDevInfo.
struct TARVEN_DEV_INFO {
  BYTE modelId[4];   // four ASCII characters, first in modelId[0]
  BYTE fwPacked;     // high nibble: second version number; low nibble: third
  BYTE fwMajor;      // first version number
  BYTE reserved[10];
};
static_assert(sizeof(TARVEN_DEV_INFO) == 16, "TARVEN_DEV_INFO is 16 bytes");

// Status record filled by TarVen_GetDevStatus.
struct TARVEN_DEV_STATUS {
  BYTE statusWord[4];  // 32-bit little-endian status word
  BYTE reserved1[2];
  BYTE brightness;     // two 4-bit levels: high nibble and low nibble
  BYTE reserved2;
  BYTE flags;
};
static_assert(sizeof(TARVEN_DEV_STATUS) == 9, "TARVEN_DEV_STATUS is 9 bytes");

// The handle value that means "no device".
inline HANDLE NoDeviceHandle() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }

extern "C" {
HANDLE WINAPIV TarVen_Open(DWORD mode, HWND notifyWindow, UINT notifyMessage);
void WINAPIV TarVen_Close(HANDLE device);
int WINAPIV TarVen_GetDevInfo(HANDLE device, TARVEN_DEV_INFO* info);
int WINAPIV TarVen_GetDevStatus(HANDLE device, TARVEN_DEV_STATUS* status);
int WINAPIV TarVen_SetMonitorTiltUp(HANDLE device, BYTE steps);
int WINAPIV TarVen_SetMonitorTiltDown(HANDLE device, BYTE steps);
int WINAPIV TarVen_SetMonitorBrightness(HANDLE device, BYTE dayLevel, BYTE nightLevel);
}
