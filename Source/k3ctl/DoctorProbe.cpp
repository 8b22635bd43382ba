// The facts k3ctl doctor judges (Doctor.h), as Windows gives them: the needed files where the
// loader finds them, the token's elevation, the registry's driver switches, the unit's two
// named objects (looked at before the unit is opened here) and the open result.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "Doctor.h"
#include "FileSearch.h"
#include "FileVersion.h"
#include "LibraryLoader.h"

namespace {

// The PE header's machine field; 0 when path is no Windows image.
unsigned Machine(const char* path) {
  unsigned machine = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return 0;
  unsigned char dos[64], pe[6];
  if (std::fread(dos, 1, sizeof dos, file) == sizeof dos && dos[0] == 'M' && dos[1] == 'Z') {
    const long offset = dos[0x3c] | dos[0x3d] << 8 | dos[0x3e] << 16 | static_cast<long>(dos[0x3f] & 0x7f) << 24;
    if (std::fseek(file, offset, SEEK_SET) == 0 && std::fread(pe, 1, sizeof pe, file) == sizeof pe &&
        std::memcmp(pe, "PE\0\0", 4) == 0)
      machine = pe[4] | pe[5] << 8;
  }
  std::fclose(file);
  return machine;
}

// Where needed is: the module loaded under its name, for the library's own files once it is
// loaded; else the first of its folders that holds it.
void FindFile(const DoctorFacts& facts, const NeededFile& needed, FileFacts* file) {
  char home[MAX_PATH];
  std::snprintf(home, sizeof home, "%s%s", needed.home == FileHome::Program ? facts.programFolder : facts.bridgeFolder,
                needed.home == FileHome::BridgeHost ? "\\x86" : "");
  const bool library = needed.home == FileHome::Program && facts.libraryLoaded;
  const HMODULE loaded = library ? GetModuleHandleA(needed.file) : nullptr;
  const DWORD length = loaded ? GetModuleFileNameA(loaded, file->path, sizeof file->path) : 0;
  if (loaded)
    file->found = length > 0 && length < sizeof file->path;
  else
    file->found = FileIn(home, needed.file, file->path, sizeof file->path) ||
                  (needed.systemFolderToo && FileIn(facts.systemFolder, needed.file, file->path, sizeof file->path));
  if (!file->found) return;
  file->machine = Machine(file->path);
  FileVersion(file->path, file->version, sizeof file->version);
}

Tristate Elevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return Tristate::Unknown;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  CloseHandle(token);
  return !known ? Tristate::Unknown : elevation.TokenIsElevated ? Tristate::Yes : Tristate::No;
}

// A DWORD switch under HKLM: on when not 0; unknown when it is not set.
Tristate RegistrySwitch(const char* key, const char* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &handle) != ERROR_SUCCESS)
    return Tristate::Unknown;
  DWORD type = 0, value = 0, size = sizeof value;
  const LONG result = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || type != REG_DWORD) return Tristate::Unknown;
  return value ? Tristate::Yes : Tristate::No;
}

// The library keeps TCX_UNIT_OPEN_NAME while a program has the unit open.
Tristate UnitInUse() {
  const HANDLE marker = OpenEventA(SYNCHRONIZE, FALSE, TCX_UNIT_OPEN_NAME);
  if (marker) CloseHandle(marker);
  const DWORD error = marker ? ERROR_SUCCESS : GetLastError();
  if (error == ERROR_SUCCESS || error == ERROR_ACCESS_DENIED) return Tristate::Yes;
  return error == ERROR_FILE_NOT_FOUND ? Tristate::No : Tristate::Unknown;
}

// A call holds TCX_UNIT_LOCK_NAME for its whole run: a wait of zero times out while one runs.
Tristate BusBusy() {
  const HANDLE lock = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, TCX_UNIT_LOCK_NAME);
  if (!lock) return GetLastError() == ERROR_FILE_NOT_FOUND ? Tristate::No : Tristate::Unknown;
  const DWORD wait = WaitForSingleObject(lock, 0);
  if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ReleaseMutex(lock);
  CloseHandle(lock);
  return wait == WAIT_TIMEOUT ? Tristate::Yes : wait == WAIT_FAILED ? Tristate::Unknown : Tristate::No;
}

constexpr char kMemoryIntegrityKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\HypervisorEnforcedCodeIntegrity";
constexpr char kCodeIntegrityKey[] = "SYSTEM\\CurrentControlSet\\Control\\CI\\Config";

}  // namespace

void GatherDoctorFacts(DoctorFacts* out) {
  DoctorFacts& facts = *out;
  facts.programMachine = sizeof(void*) == 8 ? kMachineX64 : kMachineX86;
  ProgramFolder(facts.programFolder, sizeof facts.programFolder);
  GetSystemDirectoryA(facts.systemFolder, sizeof facts.systemFolder);
  char bridge[MAX_PATH];
  std::snprintf(bridge, sizeof bridge, "%s\\..\\bin64", facts.programFolder);
  if (!GetFullPathNameA(bridge, sizeof facts.bridgeFolder, facts.bridgeFolder, nullptr))
    std::snprintf(facts.bridgeFolder, sizeof facts.bridgeFolder, "%s", bridge);
  const DWORD attributes = GetFileAttributesA(facts.bridgeFolder);
  facts.bridgePresent = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);

  facts.elevated = Elevated();
  facts.memoryIntegrity = RegistrySwitch(kMemoryIntegrityKey, "Enabled");
  facts.driverBlocklist = RegistrySwitch(kCodeIntegrityKey, "VulnerableDriverBlocklistEnable");
  // Before the unit is opened here: afterwards this run would count as the other program.
  facts.unitInUse = UnitInUse();
  facts.busBusy = BusBusy();

  TcxEntryPoints library;
  facts.libraryLoaded = LoadTarvenK3(&library, facts.loadError, sizeof facts.loadError);
  for (int i = 0; i < kNeededFileCount; ++i) FindFile(facts, kNeededFiles[i], &facts.files[i]);
  // Closing while another program has the unit open would switch that program's radio off.
  if (facts.libraryLoaded && facts.unitInUse != Tristate::Yes) {
    facts.openTried = true;
    facts.openResult = library.OpenTARVEN();
    library.CloseTARVEN();
  }
}
