// The parallel port's lines as a Value Change Dump (VCD), the waveform file that GTKWave and
// sigrok (PulseView, sigrok-cli) open: enable, data_out, clock and radio_off (data register
// bits 0-3), data_in (status register bit 6), and data_4 to data_7, the rest of the register.
//
// Time: each port access takes 1 us, about one ISA-speed I/O cycle, so the waveform shows the
// bus at a real PC's speed. Time the library spends away from the port between transfers (its
// waits, its caller's work) is added: as the simulator sees it (Wait) and as measured.
//
// The file is valid whenever no transfer is under way, which is whenever a library call has
// returned: then its text ends with a timestamp after the last change and a newline. The text
// goes into the file through a memory map (MappedFile), so keeping it so costs no system call
// and the bus keeps most of its speed; until the file is closed, newlines follow the text.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "MappedFile.h"

namespace sim {

class VcdWriter {
 public:
  VcdWriter() = default;
  // A move takes the file whole (MappedFile's move leaves other without one); an assignment
  // first ends the file this writer had.
  VcdWriter(VcdWriter&& other) noexcept = default;
  VcdWriter& operator=(VcdWriter&& other) noexcept;
  VcdWriter(const VcdWriter&) = delete;
  VcdWriter& operator=(const VcdWriter&) = delete;
  ~VcdWriter() { Close(); }

  // Starts the file at path (replacing one being written) with the lines at time 0. False
  // when it cannot be created.
  bool Open(const std::string& path, std::uint8_t data, std::uint8_t status);
  // Ends the file with a timestamp at the current time; nothing when none is open.
  void Close();

  // Around every port access: the access's 1 us (after any time spent away from the bus),
  // then the data and status registers' lines as the access left them; dataWrite: the access
  // wrote the data register. Inside a transfer most accesses only count up the time, and many
  // change no line: that is done here, the rest in Advance and Record.
  void BeginAccess() {
    if (!file_.IsOpen()) return;
    if (resting_ || now_ != clockTextTime_) return Advance();
    now_ += kAccessUs;
    CountUp();
  }
  void EndAccess(std::uint8_t data, std::uint8_t status, bool dataWrite) {
    if (!file_.IsOpen()) return;
    if (transferUnderWay_ && !clockFellAtRest_ && Lines(data, status) == shown_) return;
    Record(data, status, dataWrite);
  }

  // A wait of the library that the simulator saw (Sleep on the host build).
  void Wait(std::uint64_t microseconds);

 private:
  using RealClock = std::chrono::steady_clock;
  static constexpr std::uint64_t kAccessUs = 1;  // one port access: an ISA-speed I/O cycle

  // The lines, as bits of data register | status register << 8.
  static std::uint16_t Lines(std::uint8_t data, std::uint8_t status) {
    return static_cast<std::uint16_t>(data | status << 8);
  }

  void Advance();
  // clockText_ one up, from clockTextTime_ to now_.
  void CountUp() {
    int i = clockTextLength_ - 1;
    while (i >= 0 && clockText_[i] == '9') clockText_[i--] = '0';
    if (i >= 0)
      ++clockText_[i];
    else
      CarryOut();
    clockTextTime_ = now_;
  }
  void CarryOut();  // clockText_ one digit longer: "999" becomes "1000"
  void Record(std::uint8_t data, std::uint8_t status, bool dataWrite);
  void Show(std::uint16_t lines, std::uint16_t changed);
  void Stamp(std::uint64_t time);
  char* Room(std::size_t length);  // where length more characters go; null when the file ended
  void Append(const char* text, std::size_t length);

  MappedFile file_;
  std::uint64_t now_ = 0;           // the current access's time, in us
  std::uint64_t stamped_ = 0;       // the last timestamp in the text
  std::uint64_t clockTextTime_ = 0;  // now_ as clockText_ holds it in decimal
  int clockTextLength_ = 0;
  char clockText_[20] = {};         // newlines past its length: Stamp copies it whole
  std::uint16_t shown_ = 0;         // data register | status register << 8, as last written
  bool transferUnderWay_ = false;   // a clock edge or enable high since enable last fell
  bool clockFellAtRest_ = false;    // the last access lowered the clock alone, from rest
  bool resting_ = false;            // the last access left the bus between transfers
  RealClock::time_point restingSince_{};
  std::uint64_t upToDate_ = 0;      // the text's length when the file was last brought up to date
};

}  // namespace sim
