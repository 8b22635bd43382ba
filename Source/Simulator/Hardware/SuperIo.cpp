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
  if (!configurationMode) return 0xFF;
  auto it = registers.find(index_);
  return it == registers.end() ? 0x00 : it->second;
}

}  // namespace sim
