#include "SharedObjects.h"

#if defined(_WIN32)
#include <sddl.h>

namespace {

// The descriptors, as SDDL. Everyone may wait on and release the objects (SYNCHRONIZE |
// MUTEX_MODIFY_STATE, which is EVENT_QUERY_STATE for an event) and nothing more, so a program
// that is not the owner cannot change who may use them; or everyone has every right. The low
// mandatory label lets programs of low integrity in too.
constexpr const wchar_t* kGrantSddl[] = {
    L"D:(A;;0x00100001;;;WD)S:(ML;;NW;;;LW)",  // SharedGrant::kTakeTurns
    L"D:(A;;GA;;;WD)S:(ML;;NW;;;LW)",          // SharedGrant::kAllRights
};
constexpr DWORD kSharedAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// The object create makes, given the descriptor of grant (null when it cannot be made: the
// object then gets the creator's default one).
template <typename Create>
HANDLE CreateWithGrant(SharedGrant grant, Create create) {
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  ConvertStringSecurityDescriptorToSecurityDescriptorW(kGrantSddl[static_cast<int>(grant)], SDDL_REVISION_1,
                                                       &attributes.lpSecurityDescriptor, nullptr);
  const HANDLE object = create(attributes.lpSecurityDescriptor ? &attributes : nullptr);
  LocalFree(attributes.lpSecurityDescriptor);
  return object;
}

}  // namespace

HANDLE OpenSharedMutex(const char* name, SharedGrant grant) {
  HANDLE mutex = CreateWithGrant(grant, [name](SECURITY_ATTRIBUTES* security) {
    return CreateMutexExA(security, name, 0, kSharedAccess);
  });
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
  HANDLE event = CreateWithGrant(SharedGrant::kTakeTurns, [name](SECURITY_ATTRIBUTES* security) {
    return CreateEventExA(security, name, CREATE_EVENT_MANUAL_RESET, kSharedAccess);
  });
  if (!event) event = OpenEventA(kSharedAccess, FALSE, name);
  return event;
}

void CloseSharedObject(HANDLE object) {
  if (object) CloseHandle(object);
}

#else

HANDLE OpenSharedMutex(const char*, SharedGrant) { return nullptr; }
MutexTurn TakeSharedMutex(HANDLE, DWORD) { return MutexTurn::kUnavailable; }
void GiveSharedMutex(HANDLE) {}
HANDLE OpenSharedEvent(const char*) { return nullptr; }
void CloseSharedObject(HANDLE) {}

#endif
