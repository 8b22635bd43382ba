// TarvenK3Cmd.dll bound at run time, as Windows programs of the kit use it (the sample panel,
// k3ctl, the 64-bit bridge's host, the tests and the benchmarks): loaded by file name from the
// program's own folder or the system folder only, and each function bound by its decorated
// exported name with the type the public header declares for it.
#pragma once

#include <windows.h>

#include "TarvenK3Cmd.h"

inline constexpr char kTcxLibraryFile[] = "TarvenK3Cmd.dll";

// Loads TarvenK3Cmd.dll from the program's folder or the system folder, never from the current
// folder or the PATH, where anyone could leave a DLL of that name; the DLLs it needs are looked
// for in the same two folders. nullptr when it cannot be loaded: GetLastError() tells why.
HMODULE TcxLoadLibrary();

// Looks function up in library by its decorated name and stores it in its entry. false when the
// library does not export it: GetLastError() tells why.
bool TcxBind(HMODULE library, TcxFunction function, TcxEntryPoints* entries);

// Binds every function; false at the first one library does not export, named in *missing.
bool TcxBindAll(HMODULE library, TcxEntryPoints* entries, TcxFunction* missing);

// Whether function's entry is bound.
bool TcxIsBound(const TcxEntryPoints& entries, TcxFunction function);

// Windows' words for an error code ("The specified module could not be found."), without the
// line break Windows ends them with. false, and text empty, when Windows has none.
bool TcxWindowsErrorText(DWORD code, char* text, DWORD size);
bool TcxWindowsErrorText(DWORD code, wchar_t* text, DWORD size);

// The program's own folder, without a final backslash.
void TcxProgramFolder(char* folder, DWORD size);

// Whether folder holds the file name, whose path it writes to path (false when that does not
// fit in size).
bool TcxFileIn(const char* folder, const char* name, char* path, DWORD size);

// Why the library cannot load when a file is missing: the first of TarvenK3Cmd.dll and the two
// DLLs it needs (IO.dll, TarVenCOM.dll) that is in neither the program's folder nor the system
// folder. nullptr when all three are there.
const char* TcxMissingFile();
