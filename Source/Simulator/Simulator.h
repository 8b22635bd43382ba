// The simulated PC behind the stand-ins for IO.dll and TarVenCOM: port access, the Super I/O
// chip, the parallel port and the monitor unit, with an ordered trace of everything they saw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MonitorUnit.h"
#include "ParallelPort.h"
#include "SuperIo.h"
#include "Trace.h"

namespace sim {

class SimulatedPc {
 public:
  bool portAccessGranted = true;  // whether InitializeWinIo succeeds
  bool portIoInitialized = false;
  int initializeCalls = 0;
  int shutdownCalls = 0;

  SuperIo superIo;
  ParallelPort parallelPort;
  MonitorUnit monitor;
  Trace trace;

  // What a real PC or device would object to: a port touched without port access, an access
  // wider than a byte, a handle that is not open. Tests expect it empty.
  std::vector<std::string> faults;

  bool InitializeWinIo();
  void ShutdownWinIo();
  std::uint8_t ReadPort(std::uint16_t port);
  void WritePort(std::uint16_t port, std::uint8_t value);

  void Fault(std::string what);
};

// The one simulated PC of the process. Created on first use, configured from the environment.
SimulatedPc& Pc();

// Puts the simulated PC back to its defaults (ignoring the environment).
void Reset();

// Applies the TARVEN_SIM_* environment variables to pc.
void ConfigureFromEnvironment(SimulatedPc& pc);

}  // namespace sim
