// The simulated first parallel port: data latch 0x378, status register 0x379, control 0x37A.
#pragma once

#include <cstdint>

namespace sim {

class ParallelPort {
 public:
  static constexpr std::uint16_t kDataPort = 0x378;
  static constexpr std::uint16_t kStatusPort = 0x379;
  static constexpr std::uint16_t kControlPort = 0x37A;

  std::uint8_t data = 0x00;     // the data latch: the lines driven by the PC
  std::uint8_t status = 0x7B;   // status lines as read; bit 6 comes from the tuner's data-in line
  std::uint8_t control = 0x0C;  // control register
  bool dataWritten = false;     // a program has driven the data lines since power-on
};

}  // namespace sim
