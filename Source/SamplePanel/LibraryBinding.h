// TarvenK3Cmd.dll as the panel binds it: loaded at the first press that calls the library,
// each entry point bound the first time a press calls it, and both kept until the program
// ends. A failed load or lookup keeps nothing, so the next press tries again.
#pragma once

#include "MessageText.h"
#include "TarvenK3Binder.h"

class LibraryBinding {
 public:
  // The entry points with function's bound; nullptr when the library cannot be loaded or lacks
  // it, with error saying which and why.
  const TcxEntryPoints* Bind(TcxFunction function, MessageText& error);

 private:
  HMODULE library_ = nullptr;
  TcxEntryPoints entries_;
};
