// Load and unload of the DLL: loading only sets the initial state (static initialisation);
// unloading releases what the caller left open.
#include <windows.h>

#include "LibraryState.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) ReleaseAtUnload();
  return TRUE;
}
