// Win32's Sleep for the Linux host build, where the library's waits go to the simulated PC.
#include "PlatformSleep.h"
#include "Simulator.h"

extern "C" void WINAPI Sleep(DWORD milliseconds) { sim::Pc().Sleep(milliseconds); }
