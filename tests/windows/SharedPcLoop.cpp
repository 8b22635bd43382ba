// shared_pc_loop SECONDS: a program of its own on the simulated PC, as a second program of the
// same PC runs beside it. Loads TarvenK3Cmd.dll through the binder, opens the unit and the
// radio, then for SECONDS tunes FM 93.50 and detects the station there, again and again. Exits
// with the number of detections that missed it (0: every one found it), or 100 when the
// library or the unit cannot be opened.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "TarvenK3Binder.h"

int main(int argc, char** argv) {
  constexpr int kCannotStart = 100;
  constexpr int kFm = 0;
  constexpr int kFm9350 = 9350;  // a stereo station on the simulated air
  const DWORD seconds = argc == 2 ? std::strtoul(argv[1], nullptr, 10) : 3;
  HMODULE library = TcxLoadLibrary();
  TcxEntryPoints tcx;
  TcxFunction missing = TcxFunction::OpenTARVEN;
  if (!library || !TcxBindAll(library, &tcx, &missing) || tcx.OpenTARVEN() != 0 || tcx.OpenRadio() != 1) {
    std::printf("cannot open the library, the unit or the radio\n");
    return kCannotStart;
  }
  int detections = 0, missed = 0;
  const DWORD start = GetTickCount();
  do {  // at least once, however slow the PC
    if (tcx.SetChannelRadio(kFm, kFm9350) != 1 || tcx.GetChannelDetectState(kFm) != 1) ++missed;
    ++detections;
  } while (GetTickCount() - start < seconds * 1000);
  tcx.CloseTARVEN();
  std::printf("%d detections, %d missed\n", detections, missed);
  return missed;
}
