// The machine-wide lock on the unit (TCX_UNIT_LOCK_NAME): every exported call that touches the
// I/O ports holds it, after the process-wide ApiLock, from its first port access to its end,
// so the bus transfers of different programs never interleave. And the open marker
// (TCX_UNIT_OPEN_NAME): an event this process holds while it has either half of the unit open.
#pragma once

#include "PlatformTypes.h"

// The longest a call waits for another program's call; the release at unload waits less, so
// that it never holds up the end of a process (a station detection, the longest call, takes
// up to about 300 ms).
constexpr DWORD kUnitLockWaitMs = 10000;
constexpr DWORD kUnitLockWaitAtUnloadMs = 1000;

class UnitLock {
 public:
  explicit UnitLock(DWORD waitMs = kUnitLockWaitMs);
  ~UnitLock();
  UnitLock(const UnitLock&) = delete;
  UnitLock& operator=(const UnitLock&) = delete;

  // False when another program kept the lock for the whole wait: the call must return its
  // failure value without touching a port. True when held, and when there is no lock to take
  // (it could not be created or opened): the call then goes on unguarded.
  bool MayUseBus() const { return mayUseBus_; }

 private:
  bool held_ = false;
  bool mayUseBus_ = true;
};

// Holds the open marker while open is true, lets it go otherwise.
void MarkUnitOpen(bool open);
