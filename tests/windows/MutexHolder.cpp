// Another program holding a machine-wide mutex, for the tests of taking turns with it.
//   MutexHolder NAME HOLD_MS release|abandon READY_EVENT
// Creates or opens mutex NAME and takes it, sets the inherited event READY_EVENT (a handle
// value), holds the mutex HOLD_MS, then releases it or ends without releasing it (abandon).
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const HANDLE mutex = CreateMutexExA(nullptr, argv[1], 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
  if (!mutex || WaitForSingleObject(mutex, INFINITE) == WAIT_FAILED) return 1;
  SetEvent(reinterpret_cast<HANDLE>(std::strtoull(argv[4], nullptr, 10)));
  Sleep(std::strtoul(argv[2], nullptr, 10));
  if (std::strcmp(argv[3], "release") == 0) ReleaseMutex(mutex);
  return 0;
}
