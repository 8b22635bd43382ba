// TarvenK3Cmd.dll as the panel binds it: loaded at the first press that calls the library,
// each entry point looked up by its exported name the first time a press calls it, and both
// kept until the program ends. A failed load or lookup keeps nothing, so the next press tries
// again.
#pragma once

#include <windows.h>

#include "MessageText.h"

class LibraryBinding {
 public:
  // The entry point exported as symbol; nullptr when the library cannot be loaded or lacks
  // it, with error saying which and why.
  FARPROC EntryPoint(const char* symbol, MessageText& error);

 private:
  struct Bound {
    const char* symbol;
    FARPROC entry;
  };
  HMODULE library_ = nullptr;
  Bound bound_[16] = {};  // one per function the panel calls, in the order first called
};

// The library file, by name alone.
constexpr wchar_t kLibraryFile[] = L"TarvenK3Cmd.dll";
