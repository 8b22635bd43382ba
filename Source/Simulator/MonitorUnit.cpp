#include "MonitorUnit.h"

#include <cstring>

namespace sim {

std::uintptr_t MonitorUnit::Open() {
  if (!present) return 0;
  const std::uintptr_t handle = nextHandle_;
  nextHandle_ += 4;
  openHandles_.insert(handle);
  return handle;
}

bool MonitorUnit::GetDevInfo(std::uint8_t record[16]) const {
  if (failGetDevInfo) return false;
  std::memset(record, 0, 16);
  std::memcpy(record, modelId.data(), modelId.size() < 4 ? modelId.size() : 4);
  record[4] = static_cast<std::uint8_t>((fwSecond & 0x0F) << 4 | (fwThird & 0x0F));
  record[5] = fwMajor;
  return true;
}

}  // namespace sim
