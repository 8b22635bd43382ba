// TarvenK3Cmd.dll bound at run time, so that a missing DLL is a message and an exit code
// rather than the Windows loader's error box: loaded from k3ctl's own folder or the system
// folder (never the current directory or PATH), and each of its fifteen functions found by
// its decorated name.
#pragma once

#include <cstddef>

#include "TcxEntryPoints.h"

// On failure returns false with a message saying which file is missing, or why the load failed.
bool LoadTarvenK3(TcxEntryPoints* library, char* error, std::size_t errorSize);
