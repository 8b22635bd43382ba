#include "LibraryBinding.h"

#include <cstring>

namespace {

// Windows' text for an error code, as in "The specified module could not be found. (error 126)".
std::wstring WindowsErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  if (message.empty()) message = L"Unknown error.";
  return message + L" (error " + std::to_wstring(code) + L")";
}

std::wstring Widen(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

}  // namespace

FARPROC LibraryBinding::EntryPoint(const char* symbol, std::wstring& error) {
  if (const auto found = entryPoints_.find(symbol); found != entryPoints_.end()) return found->second;

  if (!library_) {
    // The program's own folder and the system folder only: never the current directory or
    // PATH, where anyone could leave a DLL of that name.
    library_ = LoadLibraryExW(kLibraryFile, nullptr,
                              LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library_) {
      error = std::wstring(kLibraryFile) +
              L" could not be loaded from the program's folder or the system folder.\n\n" +
              WindowsErrorText(GetLastError());
      return nullptr;
    }
  }

  const FARPROC entry = GetProcAddress(library_, symbol);
  if (!entry) {
    error = std::wstring(kLibraryFile) + L" has no entry point " + Widen(symbol) + L".\n\n" +
            WindowsErrorText(GetLastError());
    return nullptr;
  }
  entryPoints_.emplace(symbol, entry);
  return entry;
}
