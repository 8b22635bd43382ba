#include "UnitLock.h"

#include "SharedObjects.h"
#include "TarvenK3Cmd.h"

namespace {

SharedMutex unitLock(TCX_UNIT_LOCK_NAME, SharedGrant::kTakeTurns);
HANDLE openMarker = nullptr;  // callers hold ApiLock, or the library is being unloaded

}  // namespace

UnitLock::UnitLock(DWORD waitMs) {
  const MutexTurn turn = unitLock.Take(waitMs);
  held_ = turn == MutexTurn::kAcquired;
  mayUseBus_ = turn != MutexTurn::kTimedOut;
}

UnitLock::~UnitLock() {
  if (held_) unitLock.Give();
}

void MarkUnitOpen(bool open) {
  if (open && !openMarker) openMarker = OpenSharedEvent(TCX_UNIT_OPEN_NAME);
  if (!open && openMarker) {
    CloseSharedObject(openMarker);
    openMarker = nullptr;
  }
}
