// Whole-message reads and writes on a blocking anonymous pipe, which may hand over fewer
// bytes than asked for in one call.
#pragma once

#include <windows.h>

inline bool ReadWhole(HANDLE pipe, void* data, DWORD size) {
  for (DWORD done = 0, got = 0; done < size; done += got)
    if (!ReadFile(pipe, static_cast<char*>(data) + done, size - done, &got, nullptr) || got == 0)
      return false;
  return true;
}

inline bool WriteWhole(HANDLE pipe, const void* data, DWORD size) {
  for (DWORD done = 0, put = 0; done < size; done += put)
    if (!WriteFile(pipe, static_cast<const char*>(data) + done, size - done, &put, nullptr) || put == 0)
      return false;
  return true;
}
