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

std::string Tuner::DriveLines(std::uint8_t data) {
  const std::uint8_t was = lines_;
  lines_ = data;
  if (presence != Presence::Present) return {};
  const bool enable = data & kEnableLine;
  const bool clock = data & kClockLine;
  std::string fault;
  if (enable && !(was & kEnableLine)) fault = EnableRose();
  if (!enable && (was & kEnableLine)) fault = EnableFell();
  if (clock && !(was & kClockLine)) ClockRose((data & kDataOutLine) != 0, enable);
  if (!clock && (was & kClockLine)) ClockFell(enable);
  return fault;
}

bool Tuner::DataIn() const {
  switch (presence) {
    case Presence::AbsentHigh: return true;
    case Presence::AbsentLow: return false;
    case Presence::Present: break;
  }
  return dataIn_;
}

std::string Tuner::EnableRose() {
  dataBits_ = 0;
  written_ = {};
  phase_ = Phase::Ignore;
  if (addressBits_ < kAddressBits)
    return "address of " + std::to_string(addressBits_) + " bits";
  address_ = addressShift_;
  if (address_ == kDivisorAddress || address_ == kModeAddress) {
    phase_ = Phase::Write;
  } else if (address_ == kStatusAddress) {
    phase_ = Phase::Read;
    if (scriptedStatus.empty()) {
      answer_ = ComputeStatus();
    } else {
      answer_ = scriptedStatus.front();
      scriptedStatus.pop_front();
    }
  } else {
    return "unknown address " + std::to_string(address_);
  }
  return {};
}

std::string Tuner::EnableFell() {
  std::string fault;
  if (phase_ == Phase::Write) {
    if (dataBits_ == kWrittenBits)
      Store(written_);
    else
      fault = "frame " + std::to_string(address_) + " of " + std::to_string(dataBits_) + " bits";
  } else if (phase_ == Phase::Read) {
    transfers.push_back({address_, {answer_.begin(), answer_.end()}, clockMs});
    if (dataBits_ != kReadBits) fault = "status read of " + std::to_string(dataBits_) + " bits";
  }
  phase_ = Phase::Address;
  addressShift_ = 0;
  addressBits_ = 0;
  dataIn_ = true;  // released: the line idles high
  return fault;
}

void Tuner::ClockRose(bool dataOut, bool enable) {
  if (!enable) {
    addressShift_ = static_cast<std::uint8_t>(addressShift_ >> 1 | (dataOut ? 0x80 : 0));
    ++addressBits_;
    return;
  }
  if (phase_ == Phase::Write && dataBits_ < kWrittenBits && dataOut)
    written_[dataBits_ / kBitsPerByte] |= 1u << (dataBits_ % kBitsPerByte);
  ++dataBits_;
}

void Tuner::ClockFell(bool enable) {
  if (!enable || phase_ != Phase::Read) return;
  if (dataBits_ >= kReadBits) {
    dataIn_ = true;
    return;
  }
  const int bit = kBitsPerByte - 1 - dataBits_ % kBitsPerByte;
  dataIn_ = (answer_[dataBits_ / kBitsPerByte] >> bit) & 1;
}

void Tuner::Store(const std::array<std::uint8_t, 4>& bytes) {
  transfers.push_back({address_, {bytes.begin(), bytes.end()}, clockMs});
  if (address_ == kDivisorAddress) {
    divisorFrame = bytes;
    if ((bytes[3] & kRestartBits) == kRestartBits) counterSettled_ = true;
  } else {
    modeFrame = bytes;
    if (bytes[1] & kCounterOnBit) counterSettled_ = !slowCounter;
  }
}

StatusBytes Tuner::ComputeStatus() const {
  const BandModel& model = (modeFrame[3] & kAmBandBit) ? kAmModel : kFmModel;
  const int divisor = divisorFrame[0] | divisorFrame[1] << 8;
  const int tuned = divisor - model.ifSteps;
  const Station* received = nullptr;
  for (const Station& station : stations) {
    if (station.band != model.band || std::abs(tuned - station.frequency) > model.passbandSteps)
      continue;
    if (!received || std::abs(tuned - station.frequency) < std::abs(tuned - received->frequency))
      received = &station;
  }
  const bool counting = modeFrame[1] & kCounterOnBit;
  int count = 0;
  if (counting && received)
    count = (divisor - received->frequency - model.secondIfSteps) * model.countsPerStep;
  if (counting && !counterSettled_) count /= 2;
  count = std::clamp(count, 0, kLargestCount);
  const bool stereo = received && received->stereo && model.band == kFmBand &&
                      (!counting || counterSettled_);

  StatusBytes status{};
  status[0] = (received ? kCarrierBit : 0) | (stereo ? 0 : kIndicatorBit);
  status[1] = static_cast<std::uint8_t>(count >> 12);
  status[2] = static_cast<std::uint8_t>(count >> 4);
  status[3] = static_cast<std::uint8_t>((count & 0x0F) << 4 | (received ? kCarrierLevel : kNoiseLevel));
  return status;
}

}  // namespace sim
