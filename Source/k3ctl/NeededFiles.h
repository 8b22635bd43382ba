// The files the unit needs on a PC, each with where it is looked for and what to do when it is
// missing: the library and the unit's two DLLs beside k3ctl, then the 64-bit bridge's files.
// Doctor checks each one; k3ctl names the first missing one of the library's three when the
// library does not load.
#pragma once

// Where a needed file is looked for: as the library loads (k3ctl's folder, then the system
// folder), or as a 64-bit program's bridge lays it out beside bin\ (..\bin64, ..\bin64\x86).
enum class FileHome { Program, Bridge, BridgeHost };

constexpr unsigned kMachineX86 = 0x14c;
constexpr unsigned kMachineX64 = 0x8664;

struct NeededFile {
  const char* name;  // as the check names it: "IO.dll", "bin64\x86\TarvenK3Host.exe"
  const char* file;  // "IO.dll"
  FileHome home;
  bool systemFolderToo;  // the system folder is searched after home
  unsigned machine;      // the PE machine it must have; 0: k3ctl's own
  const char* hint;      // what to do when it is missing or of the wrong bitness
};

// The library's three files (itself first, then the two DLLs it needs), then the bridge's five.
enum { kLibraryFile, kIoFile, kComFile, kBridgeFile, kNeededFileCount = kBridgeFile + 5 };
extern const NeededFile kNeededFiles[kNeededFileCount];
