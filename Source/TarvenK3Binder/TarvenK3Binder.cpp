#include "TarvenK3Binder.h"

FARPROC TcxSystemFunction(const wchar_t* dll, const char* name) {
  const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? GetProcAddress(module, name) : nullptr;
}

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
