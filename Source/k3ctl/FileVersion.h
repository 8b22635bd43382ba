// A file's version as its version resource gives it, read through version.dll. k3ctl loads
// version.dll at run time from the system folder only: it is not one of Windows' known DLLs,
// so a static import would be looked for in k3ctl's own folder first, where anyone could leave
// a DLL of that name (a Downloads folder is the classic case).
#pragma once

#include <cstddef>

// The version resource's file version, "1.0.0.1"; empty without one, or when version.dll is
// not in the system folder.
void FileVersion(const char* path, char* version, std::size_t size);
