// The port I/O library IO.dll as this library uses it: callee-pops functions exported under
// their plain names.
#pragma once

#include "PlatformTypes.h"

extern "C" {
unsigned char WINAPI InitializeWinIo(void);
void WINAPI ShutdownWinIo(void);
unsigned char WINAPI GetPortVal(WORD port, DWORD* value, BYTE size);
unsigned char WINAPI SetPortVal(WORD port, DWORD value, BYTE size);
}
