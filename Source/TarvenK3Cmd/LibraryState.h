// The library's one process-wide state record, shared by every exported function.
#pragma once

#include "TarVenCom.h"

struct LibraryState {
  HANDLE deviceHandle = NoDeviceHandle();  // from TarVen_Open; NoDeviceHandle() when none is open
  TARVEN_DEV_STATUS devStatus = {};        // the status record the device library last filled
  BYTE portIoReady = 0;                    // 1 while IO.dll's port access is initialised
  BYTE unitOpen = 0;                       // 1 after an open in which both halves were available
  BYTE radioOpen = 0;                      // 1 while the radio is open
  BYTE lastDivisorLow = 0;                 // bytes of the last tuned divisor
  BYTE lastDivisorHigh = 0;
};

extern LibraryState libraryState;

inline bool HasDevice() { return libraryState.deviceHandle != NoDeviceHandle(); }

// The releases made when the library is unloaded: the device first, then the port.
void ReleaseAtUnload();
