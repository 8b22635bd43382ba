#include "Tuner.h"

#include <algorithm>
#include <cstdlib>

namespace sim {
namespace {

constexpr int kBitsPerByte = 8;
constexpr int kAddressBits = 8;
constexpr int kWrittenBits = 32;
constexpr int kReadBits = 48;
constexpr int kLargestCount = 0xFFFFF;  // the counter is 20 bits wide

// Mode frame: bit 0 of byte 2 runs the counter, bit 1 of byte 4 selects AM.
constexpr std::uint8_t kCounterOnBit = 0x01;
constexpr std::uint8_t kAmBandBit = 0x02;
// Divisor frame: byte 4 with both these bits set restarts the counter's gate.
constexpr std::uint8_t kRestartBits = 0x0A;

// Status frame byte 0: a carrier is received; the indicator bit, clear while a stereo pilot
// is received (and the counter, if running, has settled). Low nibble of byte 3: signal level.
constexpr std::uint8_t kCarrierBit = 0x80;
constexpr std::uint8_t kIndicatorBit = 0x04;
constexpr std::uint8_t kCarrierLevel = 0x0C;
constexpr std::uint8_t kNoiseLevel = 0x01;

// How the channel count follows the frequency. The local oscillator runs at divisor × one
// step of the band (FM 10 kHz, AM 1 kHz), a 10.8 MHz intermediate frequency above the tuned
// frequency: tuned = divisor - ifSteps. A carrier within the IF filter's passband of the tuned
// frequency is received; the nearest one wins. The counter counts the IF of the received
// carrier over a fixed gate:
// - FM: the 10.8 MHz IF over 4 ms: 43200 for a carrier on the tuned frequency, 40 more per
//   10 kHz that the carrier lies below it (40 fewer above);
// - AM: the 450 kHz second IF (after a 10.35 MHz second oscillator) over 8 ms: 3600 on the
//   tuned frequency, 8 per kHz off.
// With no carrier received the counter counts nothing: 0. A gate not yet settled (slowCounter)
// has counted half.
struct BandModel {
  RadioBand band;
  int ifSteps;          // 10.8 MHz in the band's steps
  int secondIfSteps;    // the second oscillator the counted IF is mixed down by, in steps
  int countsPerStep;    // one step of IF over the gate
  int passbandSteps;    // half the IF filter's bandwidth
};
constexpr BandModel kFmModel = {kFmBand, 1080, 0, 40, 10};
constexpr BandModel kAmModel = {kAmBand, 10800, 10350, 8, 5};

}  // namespace

std::string Tuner::DriveLines(std::uint8_t data, TunerLog& log) {
  const std::uint8_t was = decoder_.lines;
  decoder_.lines = data;
  if (presence != Presence::Present) return {};
  const bool enable = data & kEnableLine;
  const bool clock = data & kClockLine;
  std::string fault;
  if (enable && !(was & kEnableLine)) fault = EnableRose(log);
  if (!enable && (was & kEnableLine)) fault = EnableFell(log);
  if (clock && !(was & kClockLine)) ClockRose((data & kDataOutLine) != 0, enable);
  if (!clock && (was & kClockLine)) ClockFell(enable);
  if (!fault.empty()) ++malformed;
  return fault;
}

bool Tuner::DataIn() const {
  switch (presence) {
    case Presence::AbsentHigh: return true;
    case Presence::AbsentLow: return false;
    case Presence::Present: break;
  }
  return decoder_.dataIn;
}

std::string Tuner::EnableRose(TunerLog& log) {
  decoder_.dataBits = 0;
  decoder_.written = {};
  decoder_.phase = Phase::Ignore;
  if (decoder_.addressBits < kAddressBits)
    return "address of " + std::to_string(decoder_.addressBits) + " bits";
  decoder_.address = decoder_.addressShift;
  if (decoder_.address == kDivisorAddress || decoder_.address == kModeAddress) {
    decoder_.phase = Phase::Write;
  } else if (decoder_.address == kStatusAddress) {
    decoder_.phase = Phase::Read;
    if (log.scriptedStatus.empty()) {
      decoder_.answer = ComputeStatus();
    } else {
      decoder_.answer = log.scriptedStatus.front();
      log.scriptedStatus.pop_front();
    }
  } else {
    return "unknown address " + std::to_string(decoder_.address);
  }
  return {};
}

std::string Tuner::EnableFell(TunerLog& log) {
  std::string fault;
  if (decoder_.phase == Phase::Write) {
    if (decoder_.dataBits == kWrittenBits)
      Store(decoder_.written, log);
    else
      fault = "frame " + std::to_string(decoder_.address) + " of " + std::to_string(decoder_.dataBits) + " bits";
  } else if (decoder_.phase == Phase::Read) {
    log.transfers.push_back({decoder_.address, {decoder_.answer.begin(), decoder_.answer.end()}, log.clockMs});
    if (decoder_.dataBits != kReadBits) fault = "status read of " + std::to_string(decoder_.dataBits) + " bits";
  }
  decoder_.phase = Phase::Address;
  decoder_.addressShift = 0;
  decoder_.addressBits = 0;
  decoder_.dataIn = true;  // released: the line idles high
  return fault;
}

void Tuner::ClockRose(bool dataOut, bool enable) {
  if (!enable) {
    decoder_.addressShift = static_cast<std::uint8_t>(decoder_.addressShift >> 1 | (dataOut ? 0x80 : 0));
    ++decoder_.addressBits;
    return;
  }
  if (decoder_.phase == Phase::Write && decoder_.dataBits < kWrittenBits && dataOut)
    decoder_.written[decoder_.dataBits / kBitsPerByte] |= 1u << (decoder_.dataBits % kBitsPerByte);
  ++decoder_.dataBits;
}

void Tuner::ClockFell(bool enable) {
  if (!enable || decoder_.phase != Phase::Read) return;
  if (decoder_.dataBits >= kReadBits) {
    decoder_.dataIn = true;
    return;
  }
  const int bit = kBitsPerByte - 1 - decoder_.dataBits % kBitsPerByte;
  decoder_.dataIn = (decoder_.answer[decoder_.dataBits / kBitsPerByte] >> bit) & 1;
}

void Tuner::Store(const std::array<std::uint8_t, 4>& bytes, TunerLog& log) {
  log.transfers.push_back({decoder_.address, {bytes.begin(), bytes.end()}, log.clockMs});
  if (decoder_.address == kDivisorAddress) {
    divisorFrame = bytes;
    if ((bytes[3] & kRestartBits) == kRestartBits) decoder_.counterSettled = true;
  } else {
    modeFrame = bytes;
    if (bytes[1] & kCounterOnBit) decoder_.counterSettled = !slowCounter;
  }
}

namespace {

// The carrier within the passband of the tuned frequency, the nearest one; null when none is.
const Station* Received(const StationList& stations, const BandModel& model, int tuned) {
  const Station* received = nullptr;
  for (const Station& station : stations) {
    if (station.band != model.band || std::abs(tuned - station.frequency) > model.passbandSteps)
      continue;
    if (!received || std::abs(tuned - station.frequency) < std::abs(tuned - received->frequency))
      received = &station;
  }
  return received;
}

}  // namespace

Tuner::Tuning Tuner::Tuned() const {
  const BandModel& model = (modeFrame[3] & kAmBandBit) ? kAmModel : kFmModel;
  const int divisor = divisorFrame[0] | divisorFrame[1] << 8;
  if (divisor <= model.ifSteps) return {model.band, 0, false, false};  // not tuned since power-on
  const Station* received = Received(stations, model, divisor - model.ifSteps);
  return {model.band, divisor - model.ifSteps, received != nullptr,
          received && received->stereo && model.band == kFmBand};
}

StatusBytes Tuner::ComputeStatus() const {
  const BandModel& model = (modeFrame[3] & kAmBandBit) ? kAmModel : kFmModel;
  const int divisor = divisorFrame[0] | divisorFrame[1] << 8;
  const int tuned = divisor - model.ifSteps;
  const Station* received = Received(stations, model, tuned);
  const bool counting = modeFrame[1] & kCounterOnBit;
  int count = 0;
  if (counting && received)
    count = (divisor - received->frequency - model.secondIfSteps) * model.countsPerStep;
  if (counting && !decoder_.counterSettled) count /= 2;
  count = std::clamp(count, 0, kLargestCount);
  const bool stereo = received && received->stereo && model.band == kFmBand &&
                      (!counting || decoder_.counterSettled);

  StatusBytes status{};
  status[0] = (received ? kCarrierBit : 0) | (stereo ? 0 : kIndicatorBit);
  status[1] = static_cast<std::uint8_t>(count >> 12);
  status[2] = static_cast<std::uint8_t>(count >> 4);
  status[3] = static_cast<std::uint8_t>((count & 0x0F) << 4 | (received ? kCarrierLevel : kNoiseLevel));
  return status;
}

}  // namespace sim
