// The simulated Super I/O chip on configuration ports 0x2E (index) and 0x2F (data): two writes
// of the key 0x87 to the index port enter configuration mode; then each data write sets the
// register that the index port last selected. A plain value: it can be copied byte for byte.
#pragma once

#include <cstdint>
#include <array>

namespace sim {

class SuperIo {
 public:
  static constexpr std::uint16_t kIndexPort = 0x2E;
  static constexpr std::uint16_t kDataPort = 0x2F;
  static constexpr std::uint8_t kEntryKey = 0x87;

  bool configurationMode = false;
  std::array<std::uint8_t, 256> registers{};  // as written in configuration mode; 0 until then

  void WriteIndex(std::uint8_t value);
  void WriteData(std::uint8_t value);
  std::uint8_t ReadData() const;

 private:
  int keyWrites_ = 0;
  std::uint8_t index_ = 0;
};

}  // namespace sim
