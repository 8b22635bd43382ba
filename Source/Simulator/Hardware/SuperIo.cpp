#include "SuperIo.h"

namespace sim {

void SuperIo::WriteIndex(std::uint8_t value) {
  if (!configurationMode) {
    keyWrites_ = value == kEntryKey ? keyWrites_ + 1 : 0;
    configurationMode = keyWrites_ == 2;
    return;
  }
  index_ = value;
}

void SuperIo::WriteData(std::uint8_t value) {
  if (configurationMode) registers[index_] = value;
}

std::uint8_t SuperIo::ReadData() const {
  return configurationMode ? registers[index_] : 0xFF;
}

}  // namespace sim
