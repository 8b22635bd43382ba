#include "ReferenceModel.h"

#include <cstdio>

namespace model {
namespace {

// The Super I/O configuration: entry key twice, then index/value pairs.
const std::vector<std::string> kSuperIoWrites = {
    "write 2E 87", "write 2E 87", "write 2E 07", "write 2F 01", "write 2E 60",
    "write 2F DE", "write 2E 30", "write 2F 00", "write 2E F0", "write 2F 08",
};
const char* const kAcceptedModels[] = {"QX7A", "QX7B", "QX7C", "QX7D", "QX7E", "QX7F", "QX7G"};

// The tuner's frames per band: FM for band 0, AM for every other band.
struct Band {
  std::int32_t ifOffset;         // 10.8 MHz in the band's frequency unit
  std::uint8_t divisorByte3, divisorByte4, retryByte4;
  std::array<std::uint8_t, 4> tuningMode, countingMode;
  int lowestHit, highestHit;     // channel counts that mean a station, inclusive
};
const Band kFm = {1080, 0x8E, 0x70, 0x7A, {0xC3, 0x80, 0xC9, 0x01}, {0xC3, 0xC1, 0xC9, 0x01}, 43151, 43299};
const Band kAm = {10800, 0xBD, 0x52, 0x5A, {0xC3, 0x82, 0xCA, 0x03}, {0xC3, 0x83, 0xCA, 0x03}, 3591, 3609};
const Band& BandOf(std::int32_t band) { return band == 0 ? kFm : kAm; }

constexpr std::uint8_t kIndicatorBit = 0x04;  // status frame byte 0
constexpr int kSamples = 4;
constexpr int kHitsNeeded = 3;

std::string Hex2(unsigned v) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", v & 0xFF);
  return text;
}

int Clamp(std::int32_t steps) { return steps < 1 ? 1 : steps > 3 ? 3 : steps; }

}  // namespace

const char* Name(Function f) {
  return f == Function::Unload ? "Unload" : kTcxFunctions[static_cast<int>(f)].name;
}

StatusFrame ReferenceModel::NextFrame() {
  if (in_.frames.empty()) return StatusFrame{};  // more reads than happened: the steps differ anyway
  const StatusFrame frame = in_.frames.front();
  in_.frames.pop_front();
  return frame;
}

void ReferenceModel::ConfigureSuperIo() {
  out_.steps.insert(out_.steps.end(), kSuperIoWrites.begin(), kSuperIoWrites.end());
}

void ReferenceModel::SendFrame(std::uint8_t address, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                               std::uint8_t b4) {
  Emit("frame " + Hex2(address) + " " + Hex2(b1) + " " + Hex2(b2) + " " + Hex2(b3) + " " + Hex2(b4));
}

void ReferenceModel::OpenTARVEN(const Surroundings& around) {
  if (!portIoReady) {
    Emit("call InitializeWinIo");
    portIoReady = around.portAccessGranted;
    if (portIoReady) ConfigureSuperIo();
  }
  if (!deviceOpen) {
    Emit("call TarVen_Open 00FE0102 0 0");
    if (around.unitPresent) {
      Emit("call TarVen_GetDevInfo");
      bool accepted = false;
      for (const char* m : kAcceptedModels) accepted = accepted || around.modelId == m;
      if (!around.devInfoFails && accepted) {
        deviceOpen = true;
      } else {
        Emit("call TarVen_Close");
      }
    }
  }
  out_.result = (portIoReady ? 0 : 1) | (deviceOpen ? 0 : 2);
  unitOpen = out_.result == 0;
}

void ReferenceModel::CloseTARVEN() {
  unitOpen = false;
  if (portIoReady) {
    Emit("write 378 98");
    radioOpen = false;
    portIoReady = false;
    Emit("call ShutdownWinIo");
  }
  if (deviceOpen) {
    Emit("call TarVen_Close");
    deviceOpen = false;
  }
}

void ReferenceModel::OpenRadio() {
  if (!portIoReady) return;
  ConfigureSuperIo();
  Emit("write 378 90");
  Emit("read 379");
  std::uint8_t status = 0;
  if (!in_.statusRegister.empty()) status = in_.statusRegister.front();
  Emit("write 379 " + Hex2(status | 0x04));
  Emit("write 37A 01");
  Emit("write 378 90");
  radioOpen = true;
  out_.result = 1;
}

void ReferenceModel::Tune(std::int32_t band, std::int32_t frequency) {
  const Band& b = BandOf(band);
  const std::uint32_t sum = static_cast<std::uint32_t>(frequency) + static_cast<std::uint32_t>(b.ifOffset);
  divisorLow = sum & 0xFF;
  divisorHigh = static_cast<std::int32_t>(sum) <= 256 ? 0 : (sum >> 8) & 0xFF;
  SendFrame(0x28, divisorLow, divisorHigh, b.divisorByte3, b.divisorByte4);
  SendFrame(0x29, b.tuningMode[0], b.tuningMode[1], b.tuningMode[2], b.tuningMode[3]);
}

int ReferenceModel::ChannelCount(std::int32_t band) {
  const Band& b = BandOf(band);
  SendFrame(0x29, b.countingMode[0], b.countingMode[1], b.countingMode[2], b.countingMode[3]);
  Emit("status 2A");
  StatusFrame status = NextFrame();
  if (status[0] & kIndicatorBit) {
    SendFrame(0x28, divisorLow, divisorHigh, b.divisorByte3, b.divisorByte4);
    SendFrame(0x28, divisorLow, divisorHigh, b.divisorByte3, b.retryByte4);
    Emit("wait 40");
    Emit("status 2A");
    status = NextFrame();
  }
  SendFrame(0x28, divisorLow, divisorHigh, b.divisorByte3, b.divisorByte4);
  return status[1] * 4096 + status[2] * 16 + (status[3] >> 4);
}

void ReferenceModel::Detect(std::int32_t band) {
  const Band& b = BandOf(band);
  int hits = 0;
  for (int sample = 0; sample < kSamples; ++sample) {
    const int count = ChannelCount(band);
    if (count >= b.lowestHit && count <= b.highestHit) ++hits;
    Emit("wait 35");
  }
  out_.result = hits >= kHitsNeeded;
}

Expected ReferenceModel::Apply(const Call& call, const Surroundings& around, const CallTrace& answered,
                               std::array<std::uint8_t, 3> buffer) {
  in_.frames.assign(answered.statusFrames.begin(), answered.statusFrames.end());
  in_.statusRegister.assign(answered.statusRegisterReads.begin(), answered.statusRegisterReads.end());
  out_ = Expected{};
  out_.buffer = buffer;
  const bool device = deviceOpen;
  switch (call.function) {
    case Function::OpenTARVEN: OpenTARVEN(around); break;
    case Function::CloseTARVEN: CloseTARVEN(); break;
    case Function::IsOpenTARVEN: out_.result = unitOpen; break;
    case Function::GetFwVersion:
      if (!device || call.nullBuffer) break;
      out_.buffer = {0, 0, 0};
      Emit("call TarVen_GetDevInfo");
      if (around.devInfoFails || !around.unitPresent) break;
      out_.buffer = {around.fwMajor, around.fwSecond, around.fwThird};
      out_.result = 1;
      break;
    case Function::GetDevStatus:
      if (!device || call.nullBuffer) break;
      Emit("call TarVen_GetDevStatus");
      if (around.devStatusFails || !around.unitPresent) break;
      out_.buffer = {std::uint8_t(around.statusWord >> 12 & 1), std::uint8_t(around.flags >> 1 & 1),
                     std::uint8_t(around.statusWord >> 8 & 1)};
      out_.result = 1;
      break;
    case Function::TiltUp:
    case Function::TiltDown:
      if (!device) break;
      Emit(std::string("call TarVen_SetMonitorTilt") + (call.function == Function::TiltUp ? "Up " : "Down ") +
           Hex2(Clamp(call.a)));
      out_.result = 1;
      break;
    case Function::SetMonitorBrightness:
      if (!device) break;
      Emit("call TarVen_SetMonitorBrightness " + Hex2(call.a) + " " + Hex2(call.b));
      out_.result = 1;
      break;
    case Function::GetMonitorBrightness:
      if (!device) break;
      Emit("call TarVen_GetDevStatus");
      if (around.devStatusFails || !around.unitPresent) break;
      out_.result = call.a == 2 ? around.nightLevel : around.dayLevel;
      break;
    case Function::OpenRadio: OpenRadio(); break;
    case Function::CloseRadio:
      if (!portIoReady) break;
      Emit("write 378 98");
      radioOpen = false;
      out_.result = 1;
      break;
    case Function::IsOpenRadio: out_.result = radioOpen; break;
    case Function::SetChannelRadio:
      if (!radioOpen) break;
      Tune(call.a, call.b);
      out_.result = 1;
      break;
    case Function::GetChannelDetectState:
      if (radioOpen) Detect(call.a);
      break;
    case Function::GetFMStereoState:
      if (!radioOpen) break;
      Emit("status 2A");
      out_.result = (NextFrame()[0] & kIndicatorBit) == 0;
      break;
    case Function::Unload:
      if (deviceOpen) Emit("call TarVen_Close");
      if (portIoReady) {
        Emit("write 378 98");
        Emit("call ShutdownWinIo");
      }
      break;
  }
  return out_;
}

}  // namespace model
