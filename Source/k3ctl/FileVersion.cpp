#include "FileVersion.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "TarvenK3Binder.h"

namespace {

// The three functions of version.dll that are used.
struct VersionDll {
  DWORD(WINAPI* GetFileVersionInfoSizeA)(LPCSTR, LPDWORD);
  BOOL(WINAPI* GetFileVersionInfoA)(LPCSTR, DWORD, DWORD, LPVOID);
  BOOL(WINAPI* VerQueryValueA)(LPCVOID, LPCSTR, LPVOID*, PUINT);
};

template <typename Function>
bool Bind(const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(TcxSystemFunction(L"version.dll", name)));
  return *function != nullptr;
}

// False when version.dll is not in the system folder or lacks one of them. A second load finds
// the module loaded already.
bool LoadVersionDll(VersionDll* dll) {
  return Bind("GetFileVersionInfoSizeA", &dll->GetFileVersionInfoSizeA) &&
         Bind("GetFileVersionInfoA", &dll->GetFileVersionInfoA) && Bind("VerQueryValueA", &dll->VerQueryValueA);
}

}  // namespace

void FileVersion(const char* path, char* version, std::size_t size) {
  VersionDll dll;
  if (!LoadVersionDll(&dll)) return;
  DWORD ignored = 0;
  const DWORD length = dll.GetFileVersionInfoSizeA(path, &ignored);
  void* data = length ? std::malloc(length) : nullptr;
  void* value = nullptr;
  UINT valueSize = 0;
  if (data && dll.GetFileVersionInfoA(path, 0, length, data) && dll.VerQueryValueA(data, "\\", &value, &valueSize) &&
      valueSize >= sizeof(VS_FIXEDFILEINFO)) {
    const VS_FIXEDFILEINFO& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    std::snprintf(version, size, "%u.%u.%u.%u", HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS),
                  HIWORD(fixed.dwFileVersionLS), LOWORD(fixed.dwFileVersionLS));
  }
  std::free(data);
}
