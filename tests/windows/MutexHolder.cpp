// MutexHolder NAME HOLD_MS release|abandon: takes mutex NAME (waiting up to 20 s), says "held" on
// its output, holds the mutex HOLD_MS, then releases it or ends without releasing it (abandon).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const HANDLE mutex = argc == 4 ? CreateMutexExA(nullptr, argv[1], 0, SYNCHRONIZE | MUTEX_MODIFY_STATE) : nullptr;
  const DWORD taken = mutex ? WaitForSingleObject(mutex, 20000) : WAIT_FAILED;
  if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED) return 1;
  std::puts("held");
  std::fflush(stdout);
  Sleep(std::strtoul(argv[2], nullptr, 10));
  if (std::strcmp(argv[3], "release") == 0) ReleaseMutex(mutex);
}
