// The library taking turns with another program (MutexHolder.exe) that holds the machine-wide
// unit lock or the hardware-monitoring programs' Super I/O mutex. The real names are used, so
// CTest runs this program alone.
#include <cstdio>
#include <memory>
#include <string>

#include "BoundLibrary.h"

// Starts the holder and returns once it holds mutex; resetting output waits for its end.
struct MutexHolder {
  MutexHolder(const char* mutex, int holdMs, const char* ending)
      : output(_popen(("MutexHolder.exe " + std::string(mutex) + " " + std::to_string(holdMs) + " " + ending).c_str(), "r"),
               _pclose) {
    char line[8] = "";
    EXPECT_TRUE(output && std::fgets(line, sizeof line, output.get())) << "no turn at " << mutex;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> output;
};

bool OpenMarkerExists() {
  const HANDLE marker = OpenEventA(SYNCHRONIZE, FALSE, TCX_UNIT_OPEN_NAME);
  CloseHandle(marker);
  return marker != nullptr;
}

const std::vector<std::pair<int, int>> kSuperIoSequence = {{0x2E, 0x87}, {0x2E, 0x87}, {0x2E, 0x07}, {0x2F, 0x01},
    {0x2E, 0x60}, {0x2F, 0xDE}, {0x2E, 0x30}, {0x2F, 0x00}, {0x2E, 0xF0}, {0x2F, 0x08}};

// The holder's mutex, hold and ending (an abandoning one ends before the open); the open's
// result and the seconds it may take.
struct Turn { const char* mutex; int holdMs; const char* ending; int openResult; double fromSeconds, toSeconds; }
constexpr kTurns[] = {
    {"Global\\Access_ISABUS.HTP.Method", 2000, "release", 0, 1.0, 4.5},  // the ten writes wait for it
    {"Global\\Access_ISABUS.HTP.Method", 0, "abandon", 0, 0.0, 2.0},     // an abandoned one is taken
    {TCX_UNIT_LOCK_NAME, 12000, "release", 3, 9.5, 11.5},                // no lock in 10 s: no port
    {TCX_UNIT_LOCK_NAME, 0, "abandon", 0, 0.0, 2.0},
};

using SharedUnit = DllTest;

TEST_F(SharedUnit, OpenTakesTurnsWithOtherProgramsAndMarksTheUnitOpen) {
  for (const Turn& turn : kTurns) {
    SCOPED_TRACE(std::string(turn.mutex) + " " + turn.ending);
    TarvenSim_ClearTrace();
    {
      MutexHolder holder(turn.mutex, turn.holdMs, turn.ending);
      if (std::string(turn.ending) == "abandon") holder.output.reset();
      const ULONGLONG start = GetTickCount64();
      EXPECT_EQ(Bound(library).OpenTARVEN(), turn.openResult);
      const double seconds = (GetTickCount64() - start) / 1000.0;
      EXPECT_TRUE(seconds >= turn.fromSeconds && seconds <= turn.toSeconds) << seconds << " s";
    }
    EXPECT_EQ(SimPortWrites(), turn.openResult == 0 ? kSuperIoSequence : decltype(kSuperIoSequence){});
    EXPECT_EQ(OpenMarkerExists(), turn.openResult == 0);
    MutexHolder(turn.mutex, 0, "release");  // the library let it go
    Bound(library).CloseTARVEN();
    EXPECT_FALSE(OpenMarkerExists());
  }
}
