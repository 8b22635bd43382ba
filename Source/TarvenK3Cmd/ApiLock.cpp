#include "ApiLock.h"

#if defined(_WIN32)
#include <windows.h>

namespace {
SRWLOCK apiLock = SRWLOCK_INIT;
}

ApiLock::ApiLock() { AcquireSRWLockExclusive(&apiLock); }
ApiLock::~ApiLock() { ReleaseSRWLockExclusive(&apiLock); }

#else
#include <mutex>

namespace {
std::mutex apiLock;
}

ApiLock::ApiLock() { apiLock.lock(); }
ApiLock::~ApiLock() { apiLock.unlock(); }
#endif
