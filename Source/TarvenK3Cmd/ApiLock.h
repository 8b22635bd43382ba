// One process-wide lock that every exported function holds for its whole run. A bus transfer
// reads the parallel data register once and rewrites it line by line, so two threads calling
// at once would interleave their line changes and tune the wrong frequency. For a single
// thread nothing changes.
#pragma once

class ApiLock {
 public:
  ApiLock();
  ~ApiLock();
  ApiLock(const ApiLock&) = delete;
  ApiLock& operator=(const ApiLock&) = delete;
};
