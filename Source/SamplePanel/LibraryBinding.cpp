#include "LibraryBinding.h"

#include <cstring>

namespace {

// Windows' text for an error code, as in "The specified module could not be found. (error 126)".
void AppendWindowsError(MessageText& message, DWORD code) {
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L' '))
    text[--length] = L'\0';
  message << (length > 0 ? text : L"Unknown error.") << L" (error " << static_cast<unsigned long>(code) << L")";
  LocalFree(text);
}

}  // namespace

FARPROC LibraryBinding::EntryPoint(const char* symbol, MessageText& error) {
  Bound* free = nullptr;
  for (Bound& b : bound_) {
    if (b.symbol && std::strcmp(b.symbol, symbol) == 0) return b.entry;
    if (!b.symbol && !free) free = &b;
  }

  if (!library_) {
    // The program's own folder and the system folder only: never the current directory or
    // PATH, where anyone could leave a DLL of that name.
    library_ = LoadLibraryExW(kLibraryFile, nullptr,
                              LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library_) {
      error << kLibraryFile << L" could not be loaded from the program's folder or the system folder.\n\n";
      AppendWindowsError(error, GetLastError());
      return nullptr;
    }
  }

  const FARPROC entry = GetProcAddress(library_, symbol);
  if (!entry) {
    error << kLibraryFile << L" has no entry point " << symbol << L".\n\n";
    AppendWindowsError(error, GetLastError());
    return nullptr;
  }
  if (free) *free = {symbol, entry};
  return entry;
}
