// The hardware of a simulated PC that several PCs (in several processes) share: the parallel
// port's lines, the Super I/O chip, the radio tuner and the monitor unit, as one plain value
// that can live in memory the processes map. Each PC keeps its own trace, faults, waveform,
// port access and clock. A sharing PC loads the block at the start of every call into the
// stand-ins and saves it at the end, holding the block's lock in between, so the tuner sees
// the line changes of all of them in the order they were made.
#pragma once

#include <string>
#include <type_traits>

#include "MonitorUnit.h"
#include "ParallelPort.h"
#include "SuperIo.h"
#include "Tuner.h"

namespace sim {

class SimulatedPc;

struct SharedHardware {
  ParallelPort parallelPort;
  SuperIo superIo;
  Tuner::Shared tuner;
  MonitorUnit::Shared monitor;
};
static_assert(std::is_trivially_copyable_v<SharedHardware>, "shared memory holds it as bytes");

void SaveHardware(const SimulatedPc& pc, SharedHardware& block);
void LoadHardware(const SharedHardware& block, SimulatedPc& pc);

// pc shares block from now on, guarded by lock (null: no other thread or process uses it). The
// first PC to share a block makes it (fresh: from its own hardware); later ones take it as it is.
void ShareHardware(SimulatedPc& pc, SharedHardware& block, void* lock, bool fresh);

// The hardware shared by every process that names it (TARVEN_SIM_SHARED): on Windows a named
// file mapping guarded by a named mutex; the host build ignores it. False when it cannot be
// made.
bool ShareHardwareNamed(SimulatedPc& pc, const std::string& name);

// The block's lock, around a PC's call (a null lock is not taken).
void LockHardware(void* lock);
void UnlockHardware(void* lock);

}  // namespace sim
