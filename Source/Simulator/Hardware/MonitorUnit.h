// The simulated monitor unit behind TarVenCOM: identification, a motorised tilt between two
// end stops, day and night backlight levels, and a status record.
#pragma once

#include <cstdint>
#include <array>
#include <string>

namespace sim {

class MonitorUnit {
 public:
  static constexpr int kTiltTopStop = 10;    // tilt positions run from 0 (fully down) to 10
  static constexpr int kMaxStepsPerCommand = 3;
  static constexpr int kMaxLevel = 15;       // backlight levels are 4-bit

  bool present = true;
  std::string modelId = "QX7C";   // four characters reported in the identification record
  std::uint8_t fwMajor = 1;       // firmware version major.second.third
  std::uint8_t fwSecond = 4;
  std::uint8_t fwThird = 2;
  bool failGetDevInfo = false;
  bool failGetDevStatus = false;

  int tilt = 5;                    // current tilt position
  int dayLevel = 9;                // backlight level by day: high nibble of the brightness byte
  int nightLevel = 3;              // backlight level at night: low nibble of the brightness byte
  std::uint32_t statusWord = 0x00001100;  // status word reported in status bytes 0-3
  std::uint8_t flags = 0x02;              // flag byte reported in status byte 8

  // Opens a device handle; 0 when no unit is present or kMaxOpenHandles are open (the caller
  // maps that to "none").
  static constexpr int kMaxOpenHandles = 64;
  std::uintptr_t Open();
  // False for a handle this unit did not hand out or that is closed.
  bool IsOpenHandle(std::uintptr_t handle) const;
  bool Close(std::uintptr_t handle);
  std::size_t OpenHandleCount() const { return static_cast<std::size_t>(handles_.count); }

  // Fill the 16-byte identification record and the 9-byte status record; false on failure.
  bool GetDevInfo(std::uint8_t record[16]) const;
  bool GetDevStatus(std::uint8_t record[9]) const;

  // Commands; false when the unit rejects them (a step count outside 1-3, a level above 15).
  // A tilt stops at its end stop.
  bool Tilt(int steps);
  bool SetBrightness(int day, int night);

 private:
  struct Handles {
    std::array<std::uint32_t, kMaxOpenHandles> open{};  // the first count are open
    int count = 0;
    std::uint32_t next = 0x4B0;
  };

 public:
  // What PCs that share the unit share: all of it, as a plain value that can be copied byte for
  // byte (the model's first four characters).
  struct Shared {
    bool present, failGetDevInfo, failGetDevStatus;
    char modelId[4];
    std::uint8_t fwMajor, fwSecond, fwThird;
    int tilt, dayLevel, nightLevel;
    std::uint32_t statusWord;
    std::uint8_t flags;
    Handles handles;
  };
  void SaveShared(Shared& shared) const;
  void LoadShared(const Shared& shared);

 private:
  Handles handles_;
};

}  // namespace sim
