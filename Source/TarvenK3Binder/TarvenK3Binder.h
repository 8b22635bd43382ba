// TarvenK3Cmd.dll bound at run time, as Windows programs of the kit use it (the sample panel,
// k3ctl, the 64-bit bridge's host, the tests and the benchmarks): loaded by file name from the
// program's own folder or the system folder only, and each function bound by its decorated
// exported name with the type the public header declares for it.
#pragma once

#include <windows.h>

#include "TcxEntryPoints.h"

inline constexpr char kTcxLibraryFile[] = "TarvenK3Cmd.dll";

// Loads TarvenK3Cmd.dll from the program's folder or the system folder, never from the current
// folder or the PATH, where anyone could leave a DLL of that name; the DLLs it needs are looked
// for in the same two folders. nullptr when it cannot be loaded: GetLastError() tells why.
HMODULE TcxLoadLibrary();

// A function of a Windows DLL loaded from the system folder only, never from the program's
// folder, where a planted DLL of that name could wait. nullptr when it is not there.
FARPROC TcxSystemFunction(const wchar_t* dll, const char* name);

// Looks function up in library by its decorated name and stores it in its entry. false when the
// library does not export it: GetLastError() tells why.
bool TcxBind(HMODULE library, TcxFunction function, TcxEntryPoints* entries);

// Binds every function; false at the first one library does not export, named in *missing.
bool TcxBindAll(HMODULE library, TcxEntryPoints* entries, TcxFunction* missing);

// Whether function's entry is bound.
bool TcxIsBound(const TcxEntryPoints& entries, TcxFunction function);
