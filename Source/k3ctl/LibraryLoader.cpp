#include "LibraryLoader.h"

#include <cstdio>

#include "FileSearch.h"
#include "TarvenK3Binder.h"

namespace {

// Windows' words for an error code ("The specified module could not be found."), without the
// line break Windows ends them with; empty when Windows has none.
void WindowsErrorText(DWORD code, char* text, DWORD size) {
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                size, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) --length;
  text[length] = '\0';
}

// Names the first needed file that is in neither folder, or gives Windows' reason.
void DescribeFailure(DWORD code, char* error, std::size_t size) {
  char programFolder[MAX_PATH];
  ProgramFolder(programFolder, sizeof programFolder);
  if (const NeededFile* missing = MissingLibraryFile()) {
    if (missing == &kNeededFiles[kLibraryFile])
      std::snprintf(error, size, "%s is not in k3ctl's folder (%s) or the system folder", missing->file, programFolder);
    else
      std::snprintf(error, size, "%s cannot be loaded: it needs %s, which is not in k3ctl's folder (%s) or the system folder",
                    kTcxLibraryFile, missing->file, programFolder);
    return;
  }
  char reason[256];
  WindowsErrorText(code, reason, sizeof reason);
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
