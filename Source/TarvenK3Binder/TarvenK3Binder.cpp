#include "TarvenK3Binder.h"

#include <string.h>

namespace {

// What TarvenK3Cmd.dll needs to load, itself first.
const char* const kNeededFiles[] = {kTcxLibraryFile, "IO.dll", "TarVenCOM.dll"};

template <typename Char>
bool Trimmed(Char* text, DWORD length) {
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
    --length;
  text[length] = 0;
  return length > 0;
}

constexpr DWORD kSystemText = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

}  // namespace

HMODULE TcxLoadLibrary() {
  return LoadLibraryExA(kTcxLibraryFile, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool TcxBind(HMODULE library, TcxFunction function, TcxEntryPoints* entries) {
  const FARPROC address = GetProcAddress(library, TcxInfo(function).decoratedName);
  if (address == nullptr) return false;
  void* const entry = reinterpret_cast<void*>(address);
  switch (function) {
#define TCX_BIND_ENTRY(name, result, kind, failure, bytes, parameters, arguments) \
  case TcxFunction::name:                                                     \
    entries->name = reinterpret_cast<decltype(entries->name)>(entry);         \
    break;
    TCX_FUNCTIONS(TCX_BIND_ENTRY)
#undef TCX_BIND_ENTRY
  }
  return true;
}

bool TcxBindAll(HMODULE library, TcxEntryPoints* entries, TcxFunction* missing) {
  for (unsigned i = 0; i < kTcxFunctionCount; ++i) {
    if (TcxBind(library, static_cast<TcxFunction>(i), entries)) continue;
    *missing = static_cast<TcxFunction>(i);
    return false;
  }
  return true;
}

bool TcxIsBound(const TcxEntryPoints& entries, TcxFunction function) {
  switch (function) {
#define TCX_IS_BOUND(name, result, kind, failure, bytes, parameters, arguments) \
  case TcxFunction::name:                                                   \
    return entries.name != nullptr;
    TCX_FUNCTIONS(TCX_IS_BOUND)
#undef TCX_IS_BOUND
  }
  return false;
}

bool TcxWindowsErrorText(DWORD code, char* text, DWORD size) {
  return Trimmed(text, FormatMessageA(kSystemText, nullptr, code, 0, text, size, nullptr));
}

bool TcxWindowsErrorText(DWORD code, wchar_t* text, DWORD size) {
  return Trimmed(text, FormatMessageW(kSystemText, nullptr, code, 0, text, size, nullptr));
}

void TcxProgramFolder(char* folder, DWORD size) {
  folder[0] = '\0';
  GetModuleFileNameA(nullptr, folder, size);
  if (char* slash = strrchr(folder, '\\')) *slash = '\0';
}

bool TcxFileIn(const char* folder, const char* name, char* path, DWORD size) {
  if (strlen(folder) + 1 + strlen(name) >= size) return false;
  strcat(strcat(strcpy(path, folder), "\\"), name);
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

const char* TcxMissingFile() {
  char programFolder[MAX_PATH] = "", systemFolder[MAX_PATH] = "";
  TcxProgramFolder(programFolder, sizeof programFolder);
  GetSystemDirectoryA(systemFolder, sizeof systemFolder);
  char path[2 * MAX_PATH];
  for (const char* name : kNeededFiles)
    if (!TcxFileIn(programFolder, name, path, sizeof path) && !TcxFileIn(systemFolder, name, path, sizeof path))
      return name;
  return nullptr;
}
