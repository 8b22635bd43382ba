// Fuzzes sequences of library calls, the radio's included, with 32-bit arguments from the input
// and the simulated PC changing between calls (port access granted or not, the unit present or
// not, the tuner present or absent, a slow counter, status frames from the input). After every
// call: results stay in their documented ranges, only the library's five ports are touched,
// and the simulated PC saw nothing a real PC or device would object to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>

#include "LibraryState.h"
#include "Simulator.h"
#include "TarvenK3Cmd.h"

namespace {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int32_t Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return static_cast<std::int32_t>(v);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "violated: %s\n", what);
  std::abort();
}

bool IsLibraryPort(std::uint16_t port) {
  return port == 0x2E || port == 0x2F || (port >= 0x378 && port <= 0x37A);
}

bool IsByteBoolean(unsigned value) { return value <= 1; }

void CallOne(Input& in, sim::SimulatedPc& pc) {
  unsigned char buffer[3] = {0xA5, 0xA5, 0xA5};
  switch (in.Byte() % 21) {
    case 0: Require(tcx_OpenTARVEN() >= 0 && tcx_OpenTARVEN() <= 3, "open result 0-3"); break;
    case 1: tcx_CloseTARVEN(); break;
    case 2: Require(IsByteBoolean(tcx_IsOpenTARVEN()), "IsOpenTARVEN 0/1"); break;
    case 3: Require(IsByteBoolean(tcx_GetFwVersion(in.Byte() & 1 ? buffer : nullptr)), "GetFwVersion 0/1"); break;
    case 4: Require(IsByteBoolean(tcx_GetDevStatus(in.Byte() & 1 ? buffer : nullptr)), "GetDevStatus 0/1"); break;
    case 5: Require(IsByteBoolean(tcx_TiltUp(in.Int())), "TiltUp 0/1"); break;
    case 6: Require(IsByteBoolean(tcx_TiltDown(in.Int())), "TiltDown 0/1"); break;
    case 7: {
      const std::int32_t day = in.Int();
      Require(IsByteBoolean(tcx_SetMonitorBrightness(day, in.Int())), "SetMonitorBrightness 0/1");
      break;
    }
    case 8: {
      const int level = tcx_GetMonitorBrightness(in.Int());
      Require(level >= 0 && level <= 15, "brightness 0-15");
      break;
    }
    case 9: pc.portAccessGranted = in.Byte() & 1; break;
    case 10: pc.monitor.present = in.Byte() & 1; break;
    case 11: pc.monitor.failGetDevStatus = in.Byte() & 1; break;
    case 12: Require(IsByteBoolean(tcx_OpenRadio()), "OpenRadio 0/1"); break;
    case 13: Require(IsByteBoolean(tcx_CloseRadio()), "CloseRadio 0/1"); break;
    case 14: Require(IsByteBoolean(tcx_IsOpenRadio()), "IsOpenRadio 0/1"); break;
    case 15: {
      const std::int32_t band = in.Int();
      Require(IsByteBoolean(tcx_SetChannelRadio(band, in.Int())), "SetChannelRadio 0/1");
      break;
    }
    case 16: Require(IsByteBoolean(tcx_GetChannelDetectState(in.Int())), "GetChannelDetectState 0/1"); break;
    case 17: Require(IsByteBoolean(tcx_GetFMStereoState()), "GetFMStereoState 0/1"); break;
    case 18: {
      static const sim::Tuner::Presence kPresence[] = {
          sim::Tuner::Presence::Present, sim::Tuner::Presence::AbsentHigh, sim::Tuner::Presence::AbsentLow};
      pc.tuner.presence = kPresence[in.Byte() % 3];
      break;
    }
    case 19: pc.tuner.slowCounter = in.Byte() & 1; break;
    case 20: {
      // A status frame from the input, answered at the next status read.
      sim::StatusBytes frame;
      for (std::uint8_t& byte : frame) byte = in.Byte();
      pc.tuner.scriptedStatus.push_back(frame);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sim::Reset();
  sim::SimulatedPc& pc = sim::Pc();
  pc.trace.enabled = true;
  libraryState = LibraryState{};
  Input in(data, size);
  while (!in.Empty()) {
    CallOne(in, pc);
    for (const sim::Event& e : pc.trace.events)
      Require(e.kind == sim::Event::Call || IsLibraryPort(e.port), "only the library's ports");
    pc.trace.Clear();
    Require(pc.faults.empty(), "no fault seen by the simulated PC");
  }
  ReleaseAtUnload();
  Require(pc.faults.empty(), "no fault at unload");
  return 0;
}
