#include "SharedObjects.h"

#include <cstddef>

#if defined(_WIN32)

namespace {

// The objects' security descriptors, as the bytes Windows reads (self-relative form), so that
// the library needs nothing but kernel32 to make them. Each has one access-allowed entry for
// Everyone (S-1-1-0) and a low mandatory label (S-1-16-4096, no write up), which lets programs of
// low integrity in too. In SDDL: D:(A;;MASK;;;WD)S:(ML;;NW;;;LW).
struct OneSid {
  BYTE revision, subAuthorityCount, authority[6];
  DWORD subAuthority;
};
struct OneEntryAcl {
  BYTE revision, sbz1;
  WORD size, entryCount, sbz2;
  BYTE entryType, entryFlags;
  WORD entrySize;
  DWORD mask;
  OneSid sid;
};
struct SharedDescriptor {
  BYTE revision, sbz1;
  WORD control;
  DWORD owner, group, sacl, dacl;
  OneEntryAcl access, label;
};
static_assert(sizeof(OneEntryAcl) == 28 && sizeof(SharedDescriptor) == 76, "the layout Windows reads");

// The last byte of the SIDs' identifier authorities: SECURITY_WORLD_SID_AUTHORITY and
// SECURITY_MANDATORY_LABEL_AUTHORITY.
constexpr BYTE kWorldAuthority = 1;
constexpr BYTE kMandatoryLabelAuthority = 16;

constexpr OneEntryAcl Acl(BYTE entryType, DWORD mask, BYTE authority, DWORD subAuthority) {
  return {ACL_REVISION, 0, sizeof(OneEntryAcl), 1, 0, entryType, 0, sizeof(OneEntryAcl) - 8, mask,
          {SID_REVISION, 1, {0, 0, 0, 0, 0, authority}, subAuthority}};
}

constexpr SharedDescriptor Descriptor(DWORD everyonesRights) {
  return {SECURITY_DESCRIPTOR_REVISION, 0, SE_DACL_PRESENT | SE_SACL_PRESENT | SE_SELF_RELATIVE, 0, 0,
          offsetof(SharedDescriptor, label), offsetof(SharedDescriptor, access),
          Acl(ACCESS_ALLOWED_ACE_TYPE, everyonesRights, kWorldAuthority, SECURITY_WORLD_RID),
          Acl(SYSTEM_MANDATORY_LABEL_ACE_TYPE, SYSTEM_MANDATORY_LABEL_NO_WRITE_UP, kMandatoryLabelAuthority,
              SECURITY_MANDATORY_LOW_RID)};
}

// Everyone may wait on and release the objects (SYNCHRONIZE | MUTEX_MODIFY_STATE, which is
// EVENT_QUERY_STATE for an event) and nothing more, so a program that is not the owner cannot
// change who may use them; or everyone has every right.
SharedDescriptor kGrantDescriptors[] = {
    Descriptor(SYNCHRONIZE | MUTEX_MODIFY_STATE),  // SharedGrant::kTakeTurns
    Descriptor(GENERIC_ALL),                       // SharedGrant::kAllRights
};
constexpr DWORD kSharedAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// The object create makes, with the descriptor of grant.
template <typename Create>
HANDLE CreateWithGrant(SharedGrant grant, Create create) {
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &kGrantDescriptors[static_cast<int>(grant)], FALSE};
  return create(&attributes);
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
