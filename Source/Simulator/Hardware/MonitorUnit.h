// The simulated monitor unit behind TarVenCOM: identification, a motorised tilt between two
// end stops, day and night backlight levels, and a status record. A plain value of fixed-width
// fields: copied byte for byte, it is what PCs that share the unit share.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

// The four characters of the identification record's model.
struct ModelId {
  std::array<char, 4> text{};
  ModelId() = default;
  ModelId(std::string_view model) { *this = model; }  // NOLINT: reads as the text it holds
  ModelId(const char* model) : ModelId(std::string_view(model)) {}  // NOLINT
  ModelId& operator=(std::string_view model) {
    text = {};
    for (std::size_t i = 0; i < text.size() && i < model.size(); ++i) text[i] = model[i];
    return *this;
  }
  ModelId& operator=(const char* model) { return *this = std::string_view(model); }
  ModelId& operator=(const std::string& model) { return *this = std::string_view(model); }
  operator std::string() const { return std::string(text.data(), text.size()).c_str(); }
  bool operator==(std::string_view model) const { return std::string(*this) == model; }
};

class MonitorUnit {
 public:
  static constexpr int kTiltTopStop = 10;    // tilt positions run from 0 (fully down) to 10
  static constexpr int kMaxStepsPerCommand = 3;
  static constexpr int kMaxLevel = 15;       // backlight levels are 4-bit

  bool present = true;
  ModelId modelId = "QX7C";       // reported in the identification record
  std::uint8_t fwMajor = 1;       // firmware version major.second.third
  std::uint8_t fwSecond = 4;
  std::uint8_t fwThird = 2;
  // The identification and status records fail: always, or for the next so many reads.
  bool failGetDevInfo = false;
  bool failGetDevStatus = false;
  std::uint32_t devInfoFailuresLeft = 0;
  std::uint32_t devStatusFailuresLeft = 0;

  std::int32_t tilt = 5;          // current tilt position
  std::int32_t dayLevel = 9;      // backlight level by day: high nibble of the brightness byte
  std::int32_t nightLevel = 3;    // backlight level at night: low nibble of the brightness byte
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

  // A unit that is not present (unplugged) answers no call, on handles opened before too.

  // Fill the 16-byte identification record and the 9-byte status record; false on failure.
  bool GetDevInfo(std::uint8_t record[16]);
  bool GetDevStatus(std::uint8_t record[9]);

  // Commands; false when the unit rejects them (a step count outside 1-3, a level above 15).
  // A tilt stops at its end stop.
  bool Tilt(int steps);
  bool SetBrightness(int day, int night);

 private:
  struct Handles {
    std::array<std::uint32_t, kMaxOpenHandles> open{};  // the first count are open
    std::int32_t count = 0;
    std::uint32_t next = 0x4B0;
  };
  Handles handles_;
};

}  // namespace sim
