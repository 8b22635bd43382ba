// The four functions of the port I/O library IO.dll, served by the simulated PC.
#include "Simulator.h"
#include "WinIo.h"

extern "C" unsigned char WINAPI InitializeWinIo(void) {
  const sim::StandInCall call;
  const bool initialized = call.pc.InitializeWinIo();
  call.pc.RecordCall("InitializeWinIo() = %d", initialized ? 1 : 0);
  if (sim::ProgramRecord* program = call.pc.ThisProgram()) program->portIo = initialized;
  return initialized ? 1 : 0;
}

extern "C" void WINAPI ShutdownWinIo(void) {
  const sim::StandInCall call;
  call.pc.ShutdownWinIo();
  call.pc.RecordCall("ShutdownWinIo()");
  if (sim::ProgramRecord* program = call.pc.ThisProgram()) program->portIo = 0;
}

extern "C" unsigned char WINAPI GetPortVal(WORD port, DWORD* value, BYTE size) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  if (size != 1) pc.Fault("port read wider than a byte");
  *value = pc.ReadPort(port);
  return pc.portIoInitialized ? 1 : 0;
}

extern "C" unsigned char WINAPI SetPortVal(WORD port, DWORD value, BYTE size) {
  const sim::StandInCall call;
  sim::SimulatedPc& pc = call.pc;
  if (size != 1) pc.Fault("port write wider than a byte");
  pc.WritePort(port, static_cast<std::uint8_t>(value));
  return pc.portIoInitialized ? 1 : 0;
}
