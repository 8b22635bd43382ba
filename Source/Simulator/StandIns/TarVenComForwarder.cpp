// The stand-in TarVenCOM.dll holds no code of its own: its exports forward to the simulated
// PC in the stand-in IO.dll, so that port accesses and device calls share one simulator and
// one ordered trace.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
