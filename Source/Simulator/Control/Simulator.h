// The simulated PC behind the stand-ins for IO.dll and TarVenCOM: port access, the Super I/O
// chip, the parallel port with the radio tuner on its lines, and the monitor unit (the devices
// of Hardware/), wired to port I/O, with an ordered trace of everything they saw and the
// port's lines as a waveform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "MonitorUnit.h"
#include "ParallelPort.h"
#include "SharedHardware.h"
#include "StateReport.h"
#include "SuperIo.h"
#include "Trace.h"
#include "Tuner.h"
#include "VcdWriter.h"

namespace sim {

// Its hardware (SharedHardware: port access, the Super I/O chip, the parallel port with the
// tuner on its lines, the monitor unit) is a base of plain values, which a PC that shares it
// loads and saves whole.
class SimulatedPc : public SharedHardware {
 public:
  bool portIoInitialized = false;

  TunerLog tunerLog;  // what this PC saw of the tuner
  Trace trace;
  VcdWriter vcd;  // the port's lines as a waveform file, while one is being written

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

  // Writes the parallel port's lines to a waveform file at path (as TARVEN_SIM_VCD does), from
  // their levels now on; false when it cannot be created. StopVcd ends the file.
  bool StartVcd(const std::string& path);
  void StopVcd() { vcd.Close(); }

  // The status register as read: bit 6 is the tuner's data-in line.
  std::uint8_t StatusLines() const;

  void Fault(std::string what);

  // The hardware this PC shares with others (SharedHardware.h), or null, and its lock. Around
  // each call into the stand-ins: the shared hardware locked and loaded, then saved and
  // unlocked. BeginCall returns whether it was; EndCall takes that.
  SharedHardware* sharedHardware = nullptr;
  void* sharedLock = nullptr;

  // The records of the programs on a PC shared by name, which the window shows; null when
  // unshared. Written inside a call, under the block's lock.
  PcRecords* records = nullptr;
  void Record(const std::string& text) {
    if (records) records->Record(text);
  }
  // A call into the stand-ins as the log shows it: printf's format and arguments.
  template <typename... Args>
  void RecordCall(const char* format, Args... args) {
    if (!records) return;
    char text[96];
    std::snprintf(text, sizeof text, format, args...);
    records->Record(text);
  }
  ProgramRecord* ThisProgram() { return records ? records->ThisProgram() : nullptr; }
  bool BeginCall() {
    if (!sharedHardware) return false;
    LoadShared();
    return true;
  }
  void EndCall(bool loaded) {
    if (loaded) SaveShared();
  }

 private:
  void LoadShared();
  void SaveShared();
  void RecordTransfer(const TunerTransfer& transfer);
};

// The one simulated PC of the process. Created on first use, configured from the environment.
SimulatedPc& Pc();

// Declared first in a stand-in function: the call on the process's simulated PC, with its
// shared hardware (if any) held for the call's length, and the state report (StateReport.h)
// written as the call returns.
struct StandInCall {
  StandInCall() : pc(Pc()), shared(pc.BeginCall()) {}
  ~StandInCall() {
    WriteStateReport();
    pc.EndCall(shared);
  }
  StandInCall(const StandInCall&) = delete;
  StandInCall& operator=(const StandInCall&) = delete;
  SimulatedPc& pc;
  const bool shared;  // a PC that begins sharing in the call has saved its hardware already
};

// Puts the simulated PC back to its defaults (ignoring the environment). A waveform file being
// written goes on, and shows the lines as the next port access finds them.
void Reset();

}  // namespace sim
