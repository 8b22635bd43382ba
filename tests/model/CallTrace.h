// What one library call did on the simulated PC, read back from the PC's trace as the
// reference model states its expectations: device library calls, waits, direct port accesses,
// and whole tuner bus transfers decoded from the parallel port's line changes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Trace.h"

namespace model {

using StatusFrame = std::array<std::uint8_t, 6>;

struct CallTrace {
  // In order, one line each:
  //   "call InitializeWinIo", "call TarVen_SetMonitorTiltUp 03" (the device handle left out),
  //   "wait 35", "write 2E 87", "read 379",
  //   "frame 28 BE 28 8E 70" (a bus write), "status 2A" (a bus read).
  std::vector<std::string> steps;
  // Hardware input the library received: the status frames answered on the bus (data-in line,
  // most significant bit first) and the status register values read outside a transfer.
  std::vector<StatusFrame> statusFrames;
  std::vector<std::uint8_t> statusRegisterReads;
  // Every way the call mistreated the bus or the ports; empty when it behaved.
  std::vector<std::string> violations;
};

CallTrace ReadCallTrace(const std::vector<sim::Event>& events);

}  // namespace model
