// The radio tuner's synchronous serial bus, clocked in software on the first parallel port:
// enable, data-out and clock lines on the data register, the data-in line on the status
// register, one port access per line change. A transfer is an address byte and then four data
// bytes written, or six bytes read. The bus knows nothing of what the bytes mean.
#pragma once

#include "PlatformTypes.h"

constexpr int kTunerReadLength = 6;

// Sends address, then byte1 to byte4: each least significant bit first. Only the low 8 bits
// of each argument are sent.
void TunerBusWrite(DWORD address, DWORD byte1, DWORD byte2, DWORD byte3, DWORD byte4);

// Sends address, then fills buffer[0] to buffer[5] with the bytes received, each assembled
// most significant bit first.
void TunerBusRead(DWORD address, BYTE (&buffer)[kTunerReadLength]);
