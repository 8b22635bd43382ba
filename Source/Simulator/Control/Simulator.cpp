#include "Simulator.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "Settings.h"

namespace sim {

bool SimulatedPc::InitializeWinIo() {
  trace.Call("InitializeWinIo");
  if (portAccessGranted) portIoInitialized = true;
  return portIoInitialized;
}

void SimulatedPc::ShutdownWinIo() {
  trace.Call("ShutdownWinIo");
  if (!portIoInitialized) Fault("ShutdownWinIo without port access");
  portIoInitialized = false;
}

std::uint8_t SimulatedPc::ReadPort(std::uint16_t port) {
  if (!portIoInitialized) Fault("port read without port access");
  vcd.BeginAccess();
  std::uint8_t value = 0xFF;  // nothing drives an unused port
  switch (port) {
    case SuperIo::kDataPort: value = superIo.ReadData(); break;
    case ParallelPort::kDataPort: value = parallelPort.data; break;
    case ParallelPort::kStatusPort: value = StatusLines(); break;
    case ParallelPort::kControlPort: value = parallelPort.control; break;
  }
  trace.Port(Event::PortRead, port, value);
  vcd.EndAccess(parallelPort.data, StatusLines(), false);
  return value;
}

void SimulatedPc::WritePort(std::uint16_t port, std::uint8_t value) {
  if (!portIoInitialized) Fault("port write without port access");
  vcd.BeginAccess();
  trace.Port(Event::PortWrite, port, value);
  switch (port) {
    case SuperIo::kIndexPort: superIo.WriteIndex(value); break;
    case SuperIo::kDataPort: superIo.WriteData(value); break;
    case ParallelPort::kDataPort: {
      parallelPort.data = value;
      parallelPort.dataWritten = true;
      const std::size_t transfers = tunerLog.transfers.size();
      const std::string rejected = tuner.DriveLines(value, tunerLog);
      if (!rejected.empty()) Fault("tuner: " + rejected);
      if (records && tunerLog.transfers.size() != transfers) RecordTransfer(tunerLog.transfers.back());
      break;
    }
    case ParallelPort::kControlPort: parallelPort.control = value; break;
    // The status register takes no writes: one is traced and changes nothing.
  }
  vcd.EndAccess(parallelPort.data, StatusLines(), port == ParallelPort::kDataPort);
}

std::uint8_t SimulatedPc::StatusLines() const {
  return static_cast<std::uint8_t>((parallelPort.status & ~Tuner::kDataInLine) |
                                   (tuner.DataIn() ? Tuner::kDataInLine : 0));
}

bool SimulatedPc::StartVcd(const std::string& path) {
  return vcd.Open(path, parallelPort.data, StatusLines());
}

void SimulatedPc::Sleep(std::uint32_t milliseconds) {
  trace.Call("Sleep", milliseconds);
  tunerLog.clockMs += milliseconds;
  if (realSleeps) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  vcd.Wait(std::uint64_t{milliseconds} * 1000);
}

// "tuner 28: BE 28 8E 70", and a status read as the bytes the tuner answered.
void SimulatedPc::RecordTransfer(const TunerTransfer& transfer) {
  char text[48];
  int length = std::snprintf(text, sizeof text, "tuner %02X:", transfer.address);
  for (const std::uint8_t byte : transfer.bytes)
    length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), " %02X", byte);
  Record(text);
}

void SimulatedPc::Fault(std::string what) {
  if (faults.size() < 100) faults.push_back(std::move(what));
}

void SimulatedPc::LoadShared() {
  LockHardware(sharedLock);
  LoadHardware(*sharedHardware, *this);
}

void SimulatedPc::SaveShared() {
  SaveHardware(*this, *sharedHardware);
  UnlockHardware(sharedLock);
}

SimulatedPc& Pc() {
  static SimulatedPc pc = [] {
    SimulatedPc configured;
    ConfigureFromEnvironment(configured);
    return configured;
  }();
  return pc;
}

void Reset() {
  VcdWriter vcd = std::move(Pc().vcd);
  Pc() = SimulatedPc();
  Pc().vcd = std::move(vcd);
}

}  // namespace sim
