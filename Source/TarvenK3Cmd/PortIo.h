// Byte-wide access to the PC's I/O ports through IO.dll, and the ports this library touches.
#pragma once

#include "PlatformTypes.h"
#include "WinIo.h"

constexpr WORD kSuperIoIndexPort = 0x2E;    // Super I/O configuration index register
constexpr WORD kSuperIoDataPort = 0x2F;     // Super I/O configuration data register
constexpr WORD kParallelDataPort = 0x378;   // parallel port data register
constexpr WORD kParallelStatusPort = 0x379; // parallel port status register
constexpr WORD kParallelControlPort = 0x37A;// parallel port control register

// Writes the low 8 bits of value to port; returns IO.dll's success byte.
inline unsigned char WritePort(WORD port, DWORD value) { return SetPortVal(port, value, 1); }

// Reads one byte from port into the low 8 bits of a zeroed 32-bit value.
inline DWORD ReadPort(WORD port) {
  DWORD value = 0;
  GetPortVal(port, &value, 1);
  return value;
}
