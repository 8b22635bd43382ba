// The hardware of a simulated PC that several PCs (in several processes) share: port access,
// the parallel port's lines, the Super I/O chip, the radio tuner and the monitor unit, each a
// plain value, together one block of fixed-width fields that can live in memory the processes
// map, 32-bit and 64-bit ones alike. Each PC keeps its own trace, faults, waveform, tuner log
// and whether it set up port I/O. A sharing PC loads the block at the start of every call into
// the stand-ins and saves it at the end, holding the block's lock in between, so the tuner sees
// the line changes of all of them in the order they were made.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "MonitorUnit.h"
#include "ParallelPort.h"
#include "PcRecords.h"
#include "SuperIo.h"
#include "Tuner.h"

namespace sim {

class SimulatedPc;

struct SharedHardware {
  bool portAccessGranted = true;  // whether InitializeWinIo succeeds
  ParallelPort parallelPort;
  SuperIo superIo;
  Tuner tuner;
  MonitorUnit monitor;
};
static_assert(std::is_trivially_copyable_v<SharedHardware>, "shared memory holds it as bytes");
// The same size in the 32-bit and the 64-bit builds: a field whose width depends on the build
// (a pointer, a size_t, a long) would change it in one of them.
static_assert(sizeof(SharedHardware) == 1024 && alignof(SharedHardware) == 4, "the same layout in every build");

void SaveHardware(const SimulatedPc& pc, SharedHardware& block);
void LoadHardware(const SharedHardware& block, SimulatedPc& pc);

// pc shares block from now on, guarded by lock (null: no other thread or process uses it). The
// first PC to share a block makes it (fresh: from its own hardware); later ones take it as it is.
void ShareHardware(SimulatedPc& pc, SharedHardware& block, void* lock, bool fresh);

// A simulated PC as the processes that share it map it: its hardware, and the records of the
// programs that use it for the simulator's window.
struct PcBlock {
  std::int32_t made;  // 0 until the first process has put its hardware in
  std::int32_t reserved;
  PcRecords records;
  SharedHardware hardware;
};
static_assert(sizeof(PcBlock) == 8 + sizeof(PcRecords) + sizeof(SharedHardware), "no padding");

// The hardware shared by every process that names it (TARVEN_SIM_SHARED): on Windows a named
// file mapping guarded by a named mutex; the host build ignores it. False when it cannot be
// made.
bool ShareHardwareNamed(SimulatedPc& pc, const std::string& name);

// The simulator's window (TarvenK3Sim.exe) holds the PC of this name: TARVEN_SIM_SHARED's
// when that is set, otherwise kWindowPc.
inline constexpr char kWindowPc[] = "TarvenK3Sim";
std::string WindowPcName();
// While the window runs, it holds a named event that says so (HoldWindowMark).
bool WindowRunning(const std::string& name);
void* HoldWindowMark(const std::string& name);
// Whether a PC of this name is held by any process (the window or programs that share it).
bool SharedPcExists(const std::string& name);

// The block's lock, around a PC's call (a null lock is not taken).
void LockHardware(void* lock);
void UnlockHardware(void* lock);

}  // namespace sim
