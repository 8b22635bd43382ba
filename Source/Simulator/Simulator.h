// The simulated PC behind the stand-ins for IO.dll and TarVenCOM: port access, the Super I/O
// chip, the parallel port with the radio tuner on its lines, and the monitor unit, with an
// ordered trace of everything they saw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MonitorUnit.h"
#include "ParallelPort.h"
#include "SuperIo.h"
#include "Trace.h"
#include "Tuner.h"

namespace sim {

class SimulatedPc {
 public:
  bool portAccessGranted = true;  // whether InitializeWinIo succeeds
  bool portIoInitialized = false;
  int initializeCalls = 0;
  int shutdownCalls = 0;

  SuperIo superIo;
  ParallelPort parallelPort;
  Tuner tuner;  // on the parallel port's lines
  MonitorUnit monitor;
  Trace trace;

  // What a real PC or device would object to: a port touched without port access, an access
  // wider than a byte, a handle that is not open. Tests expect it empty.
  std::vector<std::string> faults;

  bool InitializeWinIo();
  void ShutdownWinIo();
  std::uint8_t ReadPort(std::uint16_t port);
  void WritePort(std::uint16_t port, std::uint8_t value);

  // A wait of the library (Sleep, on the host build): traced as a call and added to the
  // tuner's clock. It blocks only when realSleeps is set (benchmarks of wall time).
  bool realSleeps = false;
  void Sleep(std::uint32_t milliseconds);

  void Fault(std::string what);
};

// The one simulated PC of the process. Created on first use, configured from the environment.
SimulatedPc& Pc();

// Puts the simulated PC back to its defaults (ignoring the environment).
void Reset();

// Applies the TARVEN_SIM_* environment variables to pc.
void ConfigureFromEnvironment(SimulatedPc& pc);

}  // namespace sim
