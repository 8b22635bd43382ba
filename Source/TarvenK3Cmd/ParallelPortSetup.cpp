#include "ParallelPortSetup.h"

#include "PortIo.h"
#include "SharedObjects.h"

namespace {

struct PortWrite {
  WORD port;
  BYTE value;
};

// Two entry-key writes, then index/value pairs for registers 0x07, 0x60, 0x30 and 0xF0.
// No exit key follows: the chip is left in configuration mode.
constexpr PortWrite kConfigurationSequence[] = {
    {kSuperIoIndexPort, 0x87}, {kSuperIoIndexPort, 0x87},
    {kSuperIoIndexPort, 0x07}, {kSuperIoDataPort, 0x01},
    {kSuperIoIndexPort, 0x60}, {kSuperIoDataPort, 0xDE},
    {kSuperIoIndexPort, 0x30}, {kSuperIoDataPort, 0x00},
    {kSuperIoIndexPort, 0xF0}, {kSuperIoDataPort, 0x08},
};

// The mutex the hardware-monitoring programs hold around every access to the Super I/O chip,
// so that their index/data pairs and ours do not interleave. Past the wait, or without the
// mutex, the sequence is written regardless. Those programs create or open it with all
// rights, so all rights are what a mutex this library creates grants them.
SharedMutex superIoMutex("Global\\Access_ISABUS.HTP.Method", SharedGrant::kAllRights);
constexpr DWORD kSuperIoWaitMs = 5000;

}  // namespace

void SetupParallelPort() {
  const bool held = superIoMutex.Take(kSuperIoWaitMs) == MutexTurn::kAcquired;
  for (const PortWrite& write : kConfigurationSequence) WritePort(write.port, write.value);
  if (held) superIoMutex.Give();
}
