#include "MonitorUnit.h"

#include <algorithm>
#include <cstdlib>
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
  std::memcpy(record, modelId.data(), std::min<std::size_t>(modelId.size(), 4));
  record[4] = static_cast<std::uint8_t>((fwSecond & 0x0F) << 4 | (fwThird & 0x0F));
  record[5] = fwMajor;
  return true;
}

bool MonitorUnit::GetDevStatus(std::uint8_t record[9]) const {
  if (failGetDevStatus) return false;
  std::memset(record, 0, 9);
  for (int i = 0; i < 4; ++i) record[i] = static_cast<std::uint8_t>(statusWord >> (8 * i));
  record[6] = static_cast<std::uint8_t>(dayLevel << 4 | nightLevel);
  record[8] = flags;
  return true;
}

bool MonitorUnit::Tilt(int steps) {
  if (steps == 0 || std::abs(steps) > kMaxStepsPerCommand) return false;
  tilt = std::clamp(tilt + steps, 0, kTiltTopStop);
  return true;
}

bool MonitorUnit::SetBrightness(int day, int night) {
  if (day > kMaxLevel || night > kMaxLevel) return false;
  dayLevel = day;
  nightLevel = night;
  return true;
}

}  // namespace sim
