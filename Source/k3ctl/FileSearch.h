// Where k3ctl looks for a file: the folders the library is loaded from (k3ctl's own, then the
// system folder), searched by name as Windows' loader would, so that k3ctl can say which of the
// needed files (NeededFiles.h) is missing.
#pragma once

#include <windows.h>

#include "NeededFiles.h"

// k3ctl's own folder, without a final backslash.
void ProgramFolder(char* folder, DWORD size);

// Whether folder holds the file name, whose path it writes to path (false when that does not
// fit in size).
bool FileIn(const char* folder, const char* name, char* path, DWORD size);

// Why the library cannot load when a file is missing: the first of its three needed files that
// is in neither k3ctl's folder nor the system folder. nullptr when all three are there.
const NeededFile* MissingLibraryFile();
