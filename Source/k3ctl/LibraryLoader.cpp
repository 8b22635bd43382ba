#include "LibraryLoader.h"

#include <cstdio>
#include <cstring>

#include "TarvenK3Binder.h"

namespace {

// Names the first needed file that is in neither folder, or gives Windows' reason.
void DescribeFailure(DWORD code, char* error, std::size_t size) {
  char programFolder[MAX_PATH];
  TcxProgramFolder(programFolder, sizeof programFolder);
  if (const char* missing = TcxMissingFile()) {
    if (std::strcmp(missing, kTcxLibraryFile) == 0)
      std::snprintf(error, size, "%s is not in k3ctl's folder (%s) or the system folder", missing, programFolder);
    else
      std::snprintf(error, size, "%s cannot be loaded: it needs %s, which is not in k3ctl's folder (%s) or the system folder",
                    kTcxLibraryFile, missing, programFolder);
    return;
  }
  char reason[256];
  TcxWindowsErrorText(code, reason, sizeof reason);
  std::snprintf(error, size, "%s cannot be loaded from %s: %s (error %lu)", kTcxLibraryFile, programFolder,
                reason[0] ? reason : "unknown error", static_cast<unsigned long>(code));
}

}  // namespace

bool LoadTarvenK3(TcxEntryPoints* library, char* error, std::size_t size) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const HMODULE module = TcxLoadLibrary();
  if (!module) {
    DescribeFailure(GetLastError(), error, size);
    return false;
  }
  TcxFunction missing;
  if (TcxBindAll(module, library, &missing)) return true;
  std::snprintf(error, size, "%s has no entry point %s", kTcxLibraryFile, TcxInfo(missing).decoratedName);
  return false;
}
