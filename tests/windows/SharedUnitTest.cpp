// The library taking turns with another program (MutexHolder.exe) that holds the machine-wide
// unit lock or the hardware-monitoring programs' Super I/O mutex. The real names are used, so
// CTest runs this program alone.
#include <string>
#include <utility>
#include <vector>

#include "BoundLibrary.h"

namespace {

// Starts the holder and returns once it holds mutex; the destructor waits for its end.
class MutexHolder {
 public:
  MutexHolder(const char* mutex, int holdMs, const char* ending) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    const HANDLE ready = CreateEventA(&inheritable, TRUE, FALSE, nullptr);
    std::string command = std::string("MutexHolder.exe ") + mutex + " " + std::to_string(holdMs) + " " +
                          ending + " " + std::to_string(reinterpret_cast<ULONG_PTR>(ready));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &started));
    EXPECT_EQ(WaitForSingleObject(ready, 30000), WAIT_OBJECT_0) << "the holder did not take " << mutex;
    CloseHandle(ready);
    CloseHandle(started.hThread);
    process = started.hProcess;
  }
  ~MutexHolder() { Ended(); CloseHandle(process); }
  void Ended() { WaitForSingleObject(process, INFINITE); }

  HANDLE process;
};

// How another thread of this program finds mutex at once: WAIT_OBJECT_0 when nobody holds it.
DWORD WINAPI TakeAtOnce(void* mutex) {
  const HANDLE handle = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, static_cast<const char*>(mutex));
  const DWORD result = WaitForSingleObject(handle, 0);
  ReleaseMutex(handle);
  CloseHandle(handle);
  return result;
}

DWORD TakenByAnotherThread(const char* mutex) {
  const HANDLE thread = CreateThread(nullptr, 0, TakeAtOnce, const_cast<char*>(mutex), 0, nullptr);
  DWORD result = WAIT_FAILED;
  WaitForSingleObject(thread, INFINITE);
  GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  return result;
}

double Seconds() { return GetTickCount64() / 1000.0; }

constexpr char kSuperIoMutex[] = "Global\\Access_ISABUS.HTP.Method";

const std::vector<std::pair<int, int>> kSuperIoSequence = {
    {0x2E, 0x87}, {0x2E, 0x87}, {0x2E, 0x07}, {0x2F, 0x01}, {0x2E, 0x60},
    {0x2F, 0xDE}, {0x2E, 0x30}, {0x2F, 0x00}, {0x2E, 0xF0}, {0x2F, 0x08},
};

// The holder keeps mutex holdMs, then ends as ending says; an abandoned one has ended before
// tcx_OpenTARVEN is called. The open's result and how long it took.
struct Turn {
  const char* mutex;
  int holdMs;
  const char* ending;
  int openResult;
  double fromSeconds, toSeconds;
};

constexpr Turn kTurns[] = {
    {kSuperIoMutex, 2000, "release", 0, 1.8, 4.5},         // the ten writes wait for the holder
    {kSuperIoMutex, 0, "abandon", 0, 0.0, 1.0},            // an abandoned mutex is taken
    {TCX_UNIT_LOCK_NAME, 11000, "release", 3, 9.5, 10.9},  // no lock in 10 s: no port touched
    {TCX_UNIT_LOCK_NAME, 0, "abandon", 0, 0.0, 1.0},
};

}  // namespace

using SharedUnit = DllTest;

TEST_F(SharedUnit, OpenTakesTurnsWithOtherHolders) {
  for (const Turn& turn : kTurns) {
    SCOPED_TRACE(std::string(turn.mutex) + " " + turn.ending);
    TarvenSim_ClearTrace();
    {
      MutexHolder holder(turn.mutex, turn.holdMs, turn.ending);
      if (std::string(turn.ending) == "abandon") holder.Ended();
      const double start = Seconds();
      EXPECT_EQ(Bound(library).OpenTARVEN(), turn.openResult);
      const double seconds = Seconds() - start;
      EXPECT_GE(seconds, turn.fromSeconds);
      EXPECT_LE(seconds, turn.toSeconds);
    }
    if (turn.openResult == 0)
      EXPECT_EQ(SimPortWrites(), kSuperIoSequence);
    else
      EXPECT_EQ(TarvenSim_TraceLength(), 0);
    EXPECT_EQ(TakenByAnotherThread(turn.mutex), WAIT_OBJECT_0) << "left held";
    Bound(library).CloseTARVEN();
  }
}

TEST_F(SharedUnit, OpenMarkerExistsWhileAHalfIsOpen) {
  auto markerExists = [] {
    const HANDLE marker = OpenEventA(SYNCHRONIZE, FALSE, TCX_UNIT_OPEN_NAME);
    CloseHandle(marker);
    return marker != nullptr;
  };
  TarvenSim_SetUnitPresent(0);
  EXPECT_FALSE(markerExists());
  EXPECT_EQ(Bound(library).OpenTARVEN(), 2);
  EXPECT_TRUE(markerExists());
  Bound(library).CloseTARVEN();
  EXPECT_FALSE(markerExists());
}
