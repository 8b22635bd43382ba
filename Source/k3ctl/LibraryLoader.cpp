#include "LibraryLoader.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kLibraryFile[] = "TarvenK3Cmd.dll";
// What the library itself needs, in the order the message names them.
const char* const kNeededFiles[] = {kLibraryFile, "IO.dll", "TarVenCOM.dll"};

bool FileIn(const char* folder, const char* name) {
  char path[2 * MAX_PATH];
  std::snprintf(path, sizeof path, "%s\\%s", folder, name);
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Names the first needed file that is in neither folder, or gives Windows' reason.
void DescribeFailure(DWORD code, char* error, std::size_t size) {
  char programFolder[MAX_PATH] = "", systemFolder[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, programFolder, sizeof programFolder);
  if (char* slash = std::strrchr(programFolder, '\\')) *slash = '\0';
  GetSystemDirectoryA(systemFolder, sizeof systemFolder);
  for (const char* name : kNeededFiles) {
    if (FileIn(programFolder, name) || FileIn(systemFolder, name)) continue;
    if (name == kLibraryFile)
      std::snprintf(error, size, "%s is not in k3ctl's folder (%s) or the system folder", name, programFolder);
    else
      std::snprintf(error, size, "%s cannot be loaded: it needs %s, which is not in k3ctl's folder (%s) or the system folder",
                    kLibraryFile, name, programFolder);
    return;
  }
  char reason[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, reason, sizeof reason,
                 nullptr);
  for (std::size_t n = std::strlen(reason); n > 0 && (reason[n - 1] == '\n' || reason[n - 1] == '\r' || reason[n - 1] == ' ');)
    reason[--n] = '\0';
  std::snprintf(error, size, "%s cannot be loaded from %s: %s (error %lu)", kLibraryFile, programFolder,
                reason[0] ? reason : "unknown error", static_cast<unsigned long>(code));
}

template <typename Function>
bool Bind(HMODULE module, const char* symbol, Function* entry, char* error, std::size_t size) {
  const FARPROC found = GetProcAddress(module, symbol);
  if (!found) {
    std::snprintf(error, size, "%s has no entry point %s", kLibraryFile, symbol);
    return false;
  }
  *entry = reinterpret_cast<Function>(reinterpret_cast<void*>(found));
  return true;
}

}  // namespace

bool LoadK3Library(K3Library* library, char* error, std::size_t size) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const HMODULE module =
      LoadLibraryExA(kLibraryFile, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) {
    DescribeFailure(GetLastError(), error, size);
    return false;
  }
  K3Library& l = *library;
  return Bind(module, "_tcx_OpenTARVEN@0", &l.OpenTARVEN, error, size) &&
         Bind(module, "_tcx_CloseTARVEN@0", &l.CloseTARVEN, error, size) &&
         Bind(module, "_tcx_IsOpenTARVEN@0", &l.IsOpenTARVEN, error, size) &&
         Bind(module, "_tcx_GetFwVersion@4", &l.GetFwVersion, error, size) &&
         Bind(module, "_tcx_GetDevStatus@4", &l.GetDevStatus, error, size) &&
         Bind(module, "_tcx_TiltUp@4", &l.TiltUp, error, size) &&
         Bind(module, "_tcx_TiltDown@4", &l.TiltDown, error, size) &&
         Bind(module, "_tcx_SetMonitorBrightness@8", &l.SetMonitorBrightness, error, size) &&
         Bind(module, "_tcx_GetMonitorBrightness@4", &l.GetMonitorBrightness, error, size) &&
         Bind(module, "_tcx_OpenRadio@0", &l.OpenRadio, error, size) &&
         Bind(module, "_tcx_CloseRadio@0", &l.CloseRadio, error, size) &&
         Bind(module, "_tcx_IsOpenRadio@0", &l.IsOpenRadio, error, size) &&
         Bind(module, "_tcx_SetChannelRadio@8", &l.SetChannelRadio, error, size) &&
         Bind(module, "_tcx_GetChannelDetectState@4", &l.GetChannelDetectState, error, size) &&
         Bind(module, "_tcx_GetFMStereoState@0", &l.GetFMStereoState, error, size);
}
