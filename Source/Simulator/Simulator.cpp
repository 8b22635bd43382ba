#include "Simulator.h"

#include <chrono>
#include <thread>
#include <utility>

namespace sim {

bool SimulatedPc::InitializeWinIo() {
  ++initializeCalls;
  trace.Call("InitializeWinIo");
  if (portAccessGranted) portIoInitialized = true;
  return portIoInitialized;
}

void SimulatedPc::ShutdownWinIo() {
  ++shutdownCalls;
  trace.Call("ShutdownWinIo");
  if (!portIoInitialized) Fault("ShutdownWinIo without port access");
  portIoInitialized = false;
}

std::uint8_t SimulatedPc::ReadPort(std::uint16_t port) {
  if (!portIoInitialized) Fault("port read without port access");
  std::uint8_t value = 0xFF;  // nothing drives an unused port
  switch (port) {
    case SuperIo::kDataPort: value = superIo.ReadData(); break;
    case ParallelPort::kDataPort: value = parallelPort.data; break;
    case ParallelPort::kStatusPort:
      value = static_cast<std::uint8_t>((parallelPort.status & ~Tuner::kDataInLine) |
                                        (tuner.DataIn() ? Tuner::kDataInLine : 0));
      break;
    case ParallelPort::kControlPort: value = parallelPort.control; break;
  }
  trace.Port(Event::PortRead, port, value);
  return value;
}

void SimulatedPc::WritePort(std::uint16_t port, std::uint8_t value) {
  if (!portIoInitialized) Fault("port write without port access");
  trace.Port(Event::PortWrite, port, value);
  switch (port) {
    case SuperIo::kIndexPort: superIo.WriteIndex(value); break;
    case SuperIo::kDataPort: superIo.WriteData(value); break;
    case ParallelPort::kDataPort: {
      parallelPort.data = value;
      const std::string rejected = tuner.DriveLines(value);
      if (!rejected.empty()) Fault("tuner: " + rejected);
      break;
    }
    case ParallelPort::kStatusPort:
      parallelPort.lastStatusWrite = value;
      ++parallelPort.statusWrites;
      break;
    case ParallelPort::kControlPort: parallelPort.control = value; break;
  }
}

void SimulatedPc::Sleep(std::uint32_t milliseconds) {
  trace.Call("Sleep", milliseconds);
  tuner.clockMs += milliseconds;
  if (realSleeps) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SimulatedPc::Fault(std::string what) {
  if (faults.size() < 100) faults.push_back(std::move(what));
}

SimulatedPc& Pc() {
  static SimulatedPc pc = [] {
    SimulatedPc configured;
    ConfigureFromEnvironment(configured);
    return configured;
  }();
  return pc;
}

void Reset() { Pc() = SimulatedPc(); }

}  // namespace sim
