// Paths beside a module's own file: the bridge finds its host, and the host the library, in the
// folder they were installed to, never through the current folder or the PATH.
#pragma once

#include <windows.h>

#include <wchar.h>

// path: the folder of module's file (nullptr: the program's), its final backslash, then name.
// false when that does not fit in size characters.
inline bool PathBesideModule(HMODULE module, const wchar_t* name, wchar_t* path, DWORD size) {
  const DWORD length = GetModuleFileNameW(module, path, size);
  if (length == 0 || length >= size) return false;
  wchar_t* slash = wcsrchr(path, L'\\');
  if (slash == nullptr || static_cast<size_t>(slash + 1 - path) + wcslen(name) >= size) return false;
  wcscpy(slash + 1, name);
  return true;
}
