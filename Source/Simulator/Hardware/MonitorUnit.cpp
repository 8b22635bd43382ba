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

void MonitorUnit::SaveShared(Shared& shared) const {
  shared.present = present;
  shared.failGetDevInfo = failGetDevInfo;
  shared.failGetDevStatus = failGetDevStatus;
  std::memset(shared.modelId, 0, sizeof(shared.modelId));
  std::memcpy(shared.modelId, modelId.data(), std::min(modelId.size(), sizeof(shared.modelId)));
  shared.fwMajor = fwMajor;
  shared.fwSecond = fwSecond;
  shared.fwThird = fwThird;
  shared.tilt = tilt;
  shared.dayLevel = dayLevel;
  shared.nightLevel = nightLevel;
  shared.statusWord = statusWord;
  shared.flags = flags;
  shared.handles = handles_;
}

void MonitorUnit::LoadShared(const Shared& shared) {
  present = shared.present;
  failGetDevInfo = shared.failGetDevInfo;
  failGetDevStatus = shared.failGetDevStatus;
  modelId.assign(shared.modelId, strnlen(shared.modelId, sizeof(shared.modelId)));
  fwMajor = shared.fwMajor;
  fwSecond = shared.fwSecond;
  fwThird = shared.fwThird;
  tilt = shared.tilt;
  dayLevel = shared.dayLevel;
  nightLevel = shared.nightLevel;
  statusWord = shared.statusWord;
  flags = shared.flags;
  handles_ = shared.handles;
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
