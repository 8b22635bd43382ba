// The simulated monitor unit behind TarVenCOM.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace sim {

class MonitorUnit {
 public:
  bool present = true;
  std::string modelId = "QX7C";   // four characters reported in the identification record
  std::uint8_t fwMajor = 1;       // firmware version major.second.third
  std::uint8_t fwSecond = 4;
  std::uint8_t fwThird = 2;
  bool failGetDevInfo = false;

  // Opens a device handle; 0 when no unit is present (the caller maps that to "none").
  std::uintptr_t Open();
  // False for a handle this unit did not hand out or that is closed.
  bool IsOpenHandle(std::uintptr_t handle) const { return openHandles_.count(handle) != 0; }
  bool Close(std::uintptr_t handle) { return openHandles_.erase(handle) != 0; }
  std::size_t OpenHandleCount() const { return openHandles_.size(); }

  // Fills the 16-byte identification record; false when it fails.
  bool GetDevInfo(std::uint8_t record[16]) const;

 private:
  std::set<std::uintptr_t> openHandles_;
  std::uintptr_t nextHandle_ = 0x4B0;
};

}  // namespace sim
