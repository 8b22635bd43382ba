// The radio's cost in port accesses, and the library's own time per access, with IO.dll's
// functions replaced by free ones that only count: what is left is the bus code itself.
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "LibraryState.h"
#include "PlatformSleep.h"
#include "TarvenK3Cmd.h"
#include "TunerBus.h"
#include "WinIo.h"

namespace {

struct Counts {
  long controlWrites = 0, dataReads = 0, dataWrites = 0, statusReads = 0, other = 0;
  long Total() const { return controlWrites + dataReads + dataWrites + statusReads + other; }
};

Counts counts;
DWORD dataIn = 0;  // what the status register reads: 0x40 keeps the tuner's indicator bit set

}  // namespace

// The free port I/O: one counter bump per access.
extern "C" unsigned char WINAPI InitializeWinIo(void) { return 1; }
extern "C" void WINAPI ShutdownWinIo(void) {}
extern "C" unsigned char WINAPI GetPortVal(WORD port, DWORD* value, BYTE) {
  if (port == 0x378) ++counts.dataReads;
  else if (port == 0x379) ++counts.statusReads;
  else ++counts.other;
  *value = port == 0x379 ? dataIn : 0x90;
  return 1;
}
extern "C" unsigned char WINAPI SetPortVal(WORD port, DWORD, BYTE) {
  if (port == 0x378) ++counts.dataWrites;
  else if (port == 0x37A) ++counts.controlWrites;
  else ++counts.other;
  return 1;
}
extern "C" void WINAPI Sleep(DWORD) {}

namespace {

// Transfers as the bus's table counts them: a write 1 + 1 + 126 accesses, a read 1 + 1 + 124 + 48.
constexpr long kWriteAccesses = 128, kReadAccesses = 174;

template <typename Call>
void CountRow(const char* what, long expected, const char* figure, Call call) {
  counts = Counts{};
  call();
  std::printf("  %-48s %6ld  %6ld  %s\n", what, counts.Total(), expected, figure);
}

template <typename Call>
double NanosecondsPerAccess(long accessesPerCall, Call call) {
  constexpr int kCalls = 200000;
  double best = 1e30;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) call();
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    const double perAccess = took.count() / (static_cast<double>(kCalls) * accessesPerCall);
    if (perAccess < best) best = perAccess;
  }
  return best;
}

}  // namespace

int main() {
  libraryState.portIoReady = 1;
  tcx_OpenRadio();

  std::printf("Port accesses per call                           measured  expected\n");
  CountRow("TunerBusWrite", kWriteAccesses, "1 control, 1 read, 126 writes", [] {
    TunerBusWrite(0x28, 0xBE, 0x28, 0x8E, 0x70);
  });
  std::printf("    control %ld, data reads %ld, data writes %ld, status reads %ld\n",
              counts.controlWrites, counts.dataReads, counts.dataWrites, counts.statusReads);
  CountRow("TunerBusRead", kReadAccesses, "1 control, 1 read, 124 writes, 48 status reads", [] {
    BYTE buffer[kTunerReadLength];
    TunerBusRead(0x2A, buffer);
  });
  std::printf("    control %ld, data reads %ld, data writes %ld, status reads %ld\n",
              counts.controlWrites, counts.dataReads, counts.dataWrites, counts.statusReads);
  CountRow("tcx_SetChannelRadio", 2 * kWriteAccesses, "2 transfers", [] { tcx_SetChannelRadio(0, 9350); });
  CountRow("tcx_GetFMStereoState", kReadAccesses, "1 transfer", [] { tcx_GetFMStereoState(); });
  CountRow("tcx_GetChannelDetectState, no retry", 4 * (2 * kWriteAccesses + kReadAccesses),
           "4 samples x 3 transfers", [] { tcx_GetChannelDetectState(0); });
  dataIn = 0x40;
  CountRow("tcx_GetChannelDetectState, every sample retries",
           4 * (4 * kWriteAccesses + 2 * kReadAccesses), "4 samples x 6 transfers",
           [] { tcx_GetChannelDetectState(0); });
  CountRow("tcx_OpenRadio", 10 + 4 + 1, "10 configuration, 4 writes, 1 read", [] { tcx_OpenRadio(); });
  dataIn = 0;

  std::printf("\nLibrary time per port access, port calls free (best of 5 x 200000 calls)\n");
  std::printf("  TunerBusWrite  %.2f ns\n", NanosecondsPerAccess(kWriteAccesses, [] {
                TunerBusWrite(0x28, 0xBE, 0x28, 0x8E, 0x70);
              }));
  std::printf("  TunerBusRead   %.2f ns\n", NanosecondsPerAccess(kReadAccesses, [] {
                BYTE buffer[kTunerReadLength];
                TunerBusRead(0x2A, buffer);
              }));
  return 0;
}
