// Sleep, the one Windows call of the library besides the two outside libraries. On Windows it
// is Win32's. The Linux host build has no Win32: there the simulated PC provides Sleep, linked
// in like IO.dll's functions, and records each wait on its clock instead of blocking.
#pragma once

#include "PlatformTypes.h"

#if !defined(_WIN32)
extern "C" void WINAPI Sleep(DWORD milliseconds);
#endif
