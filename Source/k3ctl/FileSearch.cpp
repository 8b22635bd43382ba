#include "FileSearch.h"

#include <cstring>

void ProgramFolder(char* folder, DWORD size) {
  folder[0] = '\0';
  GetModuleFileNameA(nullptr, folder, size);
  if (char* slash = std::strrchr(folder, '\\')) *slash = '\0';
}

bool FileIn(const char* folder, const char* name, char* path, DWORD size) {
  if (std::strlen(folder) + 1 + std::strlen(name) >= size) return false;
  std::strcat(std::strcat(std::strcpy(path, folder), "\\"), name);
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

const NeededFile* MissingLibraryFile() {
  char programFolder[MAX_PATH] = "", systemFolder[MAX_PATH] = "";
  ProgramFolder(programFolder, sizeof programFolder);
  GetSystemDirectoryA(systemFolder, sizeof systemFolder);
  char path[2 * MAX_PATH];
  for (int i = kLibraryFile; i < kBridgeFile; ++i) {
    const NeededFile& needed = kNeededFiles[i];
    if (!FileIn(programFolder, needed.file, path, sizeof path) &&
        !(needed.systemFolderToo && FileIn(systemFolder, needed.file, path, sizeof path)))
      return &needed;
  }
  return nullptr;
}
