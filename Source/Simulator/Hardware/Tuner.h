// The simulated radio tuner, wired to the parallel port's lines as the real one is: it watches
// the enable (bit 0), data-out (bit 1) and clock (bit 2) lines of the data register and drives
// the data-in line, read as bit 6 of the status register.
//
// It decodes transfers from the line changes alone. Data is sampled on the clock's rising
// edge, least significant bit first. While enable is low the bits shift through an address
// register (the last eight count); enable going high ends the address. Addresses 0x28 (divisor
// frame) and 0x29 (mode frame) are written: four data bytes follow, taken when enable goes low
// again. Address 0x2A (status frame) is read: on each falling clock edge with enable high the
// tuner puts the next of its six status bytes' bits on data-in, most significant bit first.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "Stations.h"

namespace sim {

// One complete transfer the tuner took part in.
struct TunerTransfer {
  std::uint8_t address;
  std::vector<std::uint8_t> bytes;  // the four bytes written, or the six answered
  std::uint64_t atMs;               // the tuner's clock when the transfer ended
};

using StatusBytes = std::array<std::uint8_t, 6>;

// What one PC sees of the tuner, kept with that PC when several share the tuner: every
// transfer in order, the time it has seen pass (advanced by the PC's waits), and status frames
// answered instead of the computed ones, one per status read, first first.
struct TunerLog {
  std::vector<TunerTransfer> transfers;
  std::uint64_t clockMs = 0;
  std::deque<StatusBytes> scriptedStatus;
};

// The tuner itself is a plain value of fixed-width fields: what is on the air, its registers
// and where it is in decoding the lines. Copied byte for byte, it is what PCs that share the
// tuner share.
class Tuner {
 public:
  static constexpr std::uint8_t kEnableLine = 0x01;
  static constexpr std::uint8_t kDataOutLine = 0x02;
  static constexpr std::uint8_t kClockLine = 0x04;
  static constexpr std::uint8_t kDataInLine = 0x40;  // on the status register

  static constexpr std::uint8_t kDivisorAddress = 0x28;
  static constexpr std::uint8_t kModeAddress = 0x29;
  static constexpr std::uint8_t kStatusAddress = 0x2A;

  // An absent tuner leaves the data-in line at its idle level and decodes nothing.
  enum class Presence : std::int32_t { Present, AbsentHigh, AbsentLow };
  Presence presence = Presence::Present;

  // What is on the air: FM 93.50 MHz stereo, FM 98.90 MHz mono, AM 810 kHz.
  StationList stations = {{kFmBand, 9350, true}, {kFmBand, 9890, false}, {kAmBand, 810, false}};

  // A slow counter: after each counting mode frame the status frame reports the indicator bit
  // set and a count not yet settled, until a divisor frame with the retry bits restarts it.
  bool slowCounter = false;

  // The registers as last written (all zero at power-on).
  std::array<std::uint8_t, 4> divisorFrame{};
  std::array<std::uint8_t, 4> modeFrame{};

  // Transfers the tuner could not make sense of: each time DriveLines rejects one.
  std::uint32_t malformed = 0;

  // The PC wrote the data register: the tuner sees its lines' new levels; log is that PC's.
  // Returns what a real tuner would reject (an incomplete address, an unknown one, a frame of
  // the wrong length), or an empty string.
  std::string DriveLines(std::uint8_t data, TunerLog& log);

  // The level of the data-in line.
  bool DataIn() const;

  // The status frame the tuner would answer now, from its registers and the stations.
  StatusBytes ComputeStatus() const;

  // What the registers tune to (frequency in the band's unit; 0 before the first tuning), and
  // whether a carrier is received there and carries a stereo pilot.
  struct Tuning {
    RadioBand band;
    std::int32_t frequency;
    bool station;
    bool stereo;
  };
  Tuning Tuned() const;

 private:
  enum class Phase : std::int32_t { Address, Write, Read, Ignore };

  // Where the tuner is in decoding the lines: a plain value.
  struct Decoder {
    std::uint8_t lines = 0;
    Phase phase = Phase::Address;
    std::uint8_t addressShift = 0;
    std::int32_t addressBits = 0;
    std::uint8_t address = 0;
    std::array<std::uint8_t, 4> written{};
    std::int32_t dataBits = 0;  // bits clocked since enable went high
    StatusBytes answer{};
    bool dataIn = true;
    bool counterSettled = true;
  };

  std::string EnableRose(TunerLog& log);
  std::string EnableFell(TunerLog& log);
  void ClockRose(bool dataOut, bool enable);
  void ClockFell(bool enable);
  void Store(const std::array<std::uint8_t, 4>& bytes, TunerLog& log);

  Decoder decoder_;
};

}  // namespace sim
