// Machine-wide named objects that the library shares with other programs on the PC: mutexes
// taken in turn and the unit's open marker. Every program may open them, elevated or not, a
// service or a desktop program. The host build has none: every function reports the object
// unavailable, and the callers go on as they would without it.
#pragma once

#include "PlatformTypes.h"

enum class MutexTurn {
  kAcquired,     // held now, also when its last holder ended without releasing it
  kTimedOut,     // another holder kept it for the whole wait
  kUnavailable,  // no mutex: it could not be created, opened or waited on
};

// Who may do what with an object the library creates. Either way the library asks only for
// the right to wait on it and release it.
enum class SharedGrant {
  kTakeTurns,  // everyone may wait on it and release it, and nothing more
  kAllRights,  // everyone has every right: for a mutex that other programs open with all rights
};

// Creates the mutex name, or opens it when it exists. Null when neither works.
HANDLE OpenSharedMutex(const char* name, SharedGrant grant);
// Waits up to waitMs for mutex (null gives kUnavailable).
MutexTurn TakeSharedMutex(HANDLE mutex, DWORD waitMs);
void GiveSharedMutex(HANDLE mutex);

// Creates the event name, or opens it when it exists. Null when neither works.
HANDLE OpenSharedEvent(const char* name);

void CloseSharedObject(HANDLE object);

// A named mutex opened on first use and kept until the library is unloaded. Its users hold
// ApiLock, so the first use is made once.
class SharedMutex {
 public:
  constexpr SharedMutex(const char* name, SharedGrant grant) : name_(name), grant_(grant) {}
  ~SharedMutex() { CloseSharedObject(handle_); }
  SharedMutex(const SharedMutex&) = delete;
  SharedMutex& operator=(const SharedMutex&) = delete;

  MutexTurn Take(DWORD waitMs) {
    if (!opened_) {
      opened_ = true;
      handle_ = OpenSharedMutex(name_, grant_);
    }
    return TakeSharedMutex(handle_, waitMs);
  }
  void Give() { GiveSharedMutex(handle_); }

 private:
  const char* name_;
  SharedGrant grant_;
  HANDLE handle_ = nullptr;
  bool opened_ = false;
};
