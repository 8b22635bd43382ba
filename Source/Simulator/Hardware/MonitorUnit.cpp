#include "MonitorUnit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sim {

std::uintptr_t MonitorUnit::Open() {
  if (!present || handles_.count == kMaxOpenHandles) return 0;
  const std::uint32_t handle = handles_.next;
  handles_.next += 4;
  handles_.open[handles_.count++] = handle;
  return handle;
}

bool MonitorUnit::IsOpenHandle(std::uintptr_t handle) const {
  const auto end = handles_.open.begin() + handles_.count;
  return std::find(handles_.open.begin(), end, handle) != end;
}

bool MonitorUnit::Close(std::uintptr_t handle) {
  const auto end = handles_.open.begin() + handles_.count;
  const auto found = std::find(handles_.open.begin(), end, handle);
  if (found == end) return false;
  *found = *(end - 1);  // the order of open handles does not matter
  --handles_.count;
  return true;
}

namespace {

// Whether this read fails: always, or while failures are left.
bool Fails(bool always, std::uint32_t& left) {
  if (always) return true;
  if (left == 0) return false;
  --left;
  return true;
}

}  // namespace

bool MonitorUnit::GetDevInfo(std::uint8_t record[16]) {
  if (!present || Fails(failGetDevInfo, devInfoFailuresLeft)) return false;
  std::memset(record, 0, 16);
  std::memcpy(record, modelId.text.data(), modelId.text.size());
  record[4] = static_cast<std::uint8_t>((fwSecond & 0x0F) << 4 | (fwThird & 0x0F));
  record[5] = fwMajor;
  return true;
}

bool MonitorUnit::GetDevStatus(std::uint8_t record[9]) {
  if (!present || Fails(failGetDevStatus, devStatusFailuresLeft)) return false;
  std::memset(record, 0, 9);
  for (int i = 0; i < 4; ++i) record[i] = static_cast<std::uint8_t>(statusWord >> (8 * i));
  record[6] = static_cast<std::uint8_t>(dayLevel << 4 | nightLevel);
  record[8] = flags;
  return true;
}

bool MonitorUnit::Tilt(int steps) {
  if (!present) return false;
  if (steps == 0 || std::abs(steps) > kMaxStepsPerCommand) return false;
  tilt = std::clamp(tilt + steps, 0, kTiltTopStop);
  return true;
}

bool MonitorUnit::SetBrightness(int day, int night) {
  if (!present) return false;
  if (day > kMaxLevel || night > kMaxLevel) return false;
  dayLevel = day;
  nightLevel = night;
  return true;
}

}  // namespace sim
