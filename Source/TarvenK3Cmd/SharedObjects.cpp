#include "SharedObjects.h"

#if defined(_WIN32)
#include <sddl.h>

namespace {

// Everyone may wait on and release the objects (SYNCHRONIZE | MUTEX_MODIFY_STATE, which is
// EVENT_QUERY_STATE for an event), and nothing more: a program that is not the owner cannot
// change who may use them. The low mandatory label lets programs of low integrity in too.
constexpr wchar_t kSharedSecurity[] = L"D:(A;;0x00100001;;;WD)S:(ML;;NW;;;LW)";
constexpr DWORD kSharedAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// The descriptor made once from kSharedSecurity; null when it cannot be made, and the objects
// then get the creator's default one.
SECURITY_ATTRIBUTES* SharedSecurity() {
  static SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  static bool made = false;
  if (!made) {
    made = true;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(kSharedSecurity, SDDL_REVISION_1,
                                                         &attributes.lpSecurityDescriptor, nullptr);
  }
  return attributes.lpSecurityDescriptor ? &attributes : nullptr;
}

}  // namespace

HANDLE OpenSharedMutex(const char* name) {
  HANDLE mutex = CreateMutexExA(SharedSecurity(), name, 0, kSharedAccess);
  if (!mutex) mutex = OpenMutexA(kSharedAccess, FALSE, name);
  return mutex;
}

MutexTurn TakeSharedMutex(HANDLE mutex, DWORD waitMs) {
  if (!mutex) return MutexTurn::kUnavailable;
  switch (WaitForSingleObject(mutex, waitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      return MutexTurn::kAcquired;
    case WAIT_TIMEOUT:
      return MutexTurn::kTimedOut;
    default:
      return MutexTurn::kUnavailable;
  }
}

void GiveSharedMutex(HANDLE mutex) { ReleaseMutex(mutex); }

HANDLE OpenSharedEvent(const char* name) {
  HANDLE event = CreateEventExA(SharedSecurity(), name, CREATE_EVENT_MANUAL_RESET, kSharedAccess);
  if (!event) event = OpenEventA(kSharedAccess, FALSE, name);
  return event;
}

void CloseSharedObject(HANDLE object) {
  if (object) CloseHandle(object);
}

#else

HANDLE OpenSharedMutex(const char*) { return nullptr; }
MutexTurn TakeSharedMutex(HANDLE, DWORD) { return MutexTurn::kUnavailable; }
void GiveSharedMutex(HANDLE) {}
HANDLE OpenSharedEvent(const char*) { return nullptr; }
void CloseSharedObject(HANDLE) {}

#endif
