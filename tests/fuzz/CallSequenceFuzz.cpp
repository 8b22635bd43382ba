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
#include "TcxEntryPoints.h"

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

// Whether a result lies in the range its kind documents.
bool InRange(const TcxFunctionInfo& function, int result) {
  switch (function.kind) {
    case TCX_CODE: return (result & ~(TCX_OPEN_PORT_IO_UNAVAILABLE | TCX_OPEN_UNIT_UNAVAILABLE)) == 0;
    case TCX_BYTE: return result == 0 || result == 1;
    case TCX_LEVEL: return result >= 0 && result <= 15;
    case TCX_NONE: return true;
  }
  return false;
}

// Any of the library's functions, with its arguments from the input (and, for the two readers,
// the buffer or a null pointer); or a change of the simulated PC.
void CallOne(Input& in, sim::SimulatedPc& pc) {
  static const TcxEntryPoints library = TcxLinkedEntryPoints();
  unsigned char buffer[3] = {0xA5, 0xA5, 0xA5};
  const unsigned choice = in.Byte() % (kTcxFunctionCount + 6);
  if (choice < kTcxFunctionCount) {
    const TcxFunctionInfo& function = kTcxFunctions[choice];
    int numbers[2] = {0, 0};
    for (int i = 0; i < function.argumentBytes / 4; ++i) numbers[i] = in.Int();
    unsigned char* bytes = in.Byte() & 1 ? buffer : nullptr;
    Require(InRange(function, TcxCall(library, static_cast<TcxFunction>(choice), numbers, bytes)), function.name);
    return;
  }
  switch (choice - kTcxFunctionCount) {
    case 0: pc.portAccessGranted = in.Byte() & 1; break;
    case 1: pc.monitor.present = in.Byte() & 1; break;
    case 2: pc.monitor.failGetDevStatus = in.Byte() & 1; break;
    case 3: {
      static const sim::Tuner::Presence kPresence[] = {
          sim::Tuner::Presence::Present, sim::Tuner::Presence::AbsentHigh, sim::Tuner::Presence::AbsentLow};
      pc.tuner.presence = kPresence[in.Byte() % 3];
      break;
    }
    case 4: pc.tuner.slowCounter = in.Byte() & 1; break;
    case 5: {
      // A status frame from the input, answered at the next status read.
      sim::StatusBytes frame;
      for (std::uint8_t& byte : frame) byte = in.Byte();
      pc.tunerLog.scriptedStatus.push_back(frame);
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
