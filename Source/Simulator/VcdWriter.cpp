#include "VcdWriter.h"

#include <cstring>

namespace sim {
namespace {

constexpr std::uint64_t kAccessUs = 1;  // one port access: an ISA-speed I/O cycle

// The lines, as bits of data register | status register << 8. Identifiers are one printable
// character each; names avoid the characters of sigrok's channel options (':', '=', ',').
// The data register is also written whole, bit by bit, as data[0] to data[7]: sigrok 0.5 reads
// only 1-bit wires, and a vector's value in the file makes it drop the rest of what it read.
struct Wire {
  const char* name;
  char id;
  std::uint16_t mask;
};
constexpr std::uint16_t kEnable = 0x0001;
constexpr std::uint16_t kClock = 0x0004;
constexpr Wire kWires[] = {
    {"enable", 'E', kEnable},   {"data_out", 'O', 0x0002}, {"clock", 'C', kClock},
    {"radio_off", 'R', 0x0008}, {"data_in", 'I', 0x4000},  {"data[0]", 'a', 0x0001},
    {"data[1]", 'b', 0x0002},   {"data[2]", 'c', 0x0004},  {"data[3]", 'd', 0x0008},
    {"data[4]", 'e', 0x0010},   {"data[5]", 'f', 0x0020},  {"data[6]", 'g', 0x0040},
    {"data[7]", 'h', 0x0080},
};

constexpr char kHeader[] =
    "$timescale 1 us $end\n"
    "$scope module parallel_port $end\n";
constexpr char kHeaderEnd[] =
    "$upscope $end\n"
    "$enddefinitions $end\n"
    "#0\n"
    "$dumpvars\n";

std::uint16_t Lines(std::uint8_t data, std::uint8_t status) {
  return static_cast<std::uint16_t>(data | status << 8);
}

}  // namespace

VcdWriter& VcdWriter::operator=(VcdWriter&& other) noexcept {
  if (this == &other) return *this;
  Close();
  file_ = other.file_;
  now_ = other.now_;
  stamped_ = other.stamped_;
  shown_ = other.shown_;
  transferUnderWay_ = other.transferUnderWay_;
  resting_ = other.resting_;
  restingSince_ = other.restingSince_;
  pending_ = other.pending_;
  std::memcpy(text_, other.text_, pending_);
  other.file_ = nullptr;
  other.pending_ = 0;
  return *this;
}

bool VcdWriter::Open(const std::string& path, std::uint8_t data, std::uint8_t status) {
  Close();
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IONBF, 0);  // text_ is the buffer
  now_ = stamped_ = 0;
  shown_ = Lines(data, status);
  transferUnderWay_ = false;
  resting_ = true;
  restingSince_ = RealClock::now();

  Append(kHeader, sizeof(kHeader) - 1);
  char var[64];
  for (const Wire& wire : kWires)
    Append(var, std::snprintf(var, sizeof(var), "$var wire 1 %c %s $end\n", wire.id, wire.name));
  Append(kHeaderEnd, sizeof(kHeaderEnd) - 1);
  Show(shown_, 0xFFFF);  // every wire's value at time 0
  Append("$end\n", 5);
  Stamp(kAccessUs);
  WriteOut();
  return true;
}

void VcdWriter::Close() {
  if (!file_) return;
  Stamp(now_ + kAccessUs);
  WriteOut();
  std::fclose(file_);
  file_ = nullptr;
}

void VcdWriter::Wait(std::uint64_t microseconds) {
  if (!file_) return;
  now_ += microseconds;
  if (resting_) restingSince_ = RealClock::now();  // so the wait is not counted twice
}

void VcdWriter::Advance() {
  // The library waits only between transfers; inside one nothing is measured, so the clock is
  // read a few times per transfer rather than at every access.
  if (resting_) {
    const auto away = std::chrono::duration_cast<std::chrono::microseconds>(RealClock::now() - restingSince_);
    if (static_cast<std::uint64_t>(away.count()) > kAccessUs) now_ += away.count();
  }
  now_ += kAccessUs;
}

void VcdWriter::Record(std::uint8_t data, std::uint8_t status) {
  const std::uint16_t lines = Lines(data, status);
  const std::uint16_t changed = lines ^ shown_;
  if (changed) {
    Stamp(now_);
    Show(lines, changed);
    // A transfer starts with its first clock edge (enable low: the address) and ends when
    // enable falls after the data.
    if ((changed & kEnable) && !(lines & kEnable))
      transferUnderWay_ = false;
    else if ((lines & kEnable) || ((changed & kClock) && (lines & kClock)))
      transferUnderWay_ = true;
    shown_ = lines;
  }
  resting_ = !transferUnderWay_;
  if (resting_) {
    if (pending_) {
      Stamp(now_ + kAccessUs);
      WriteOut();
    }
    restingSince_ = RealClock::now();
  }
}

// The values of the wires in changed.
void VcdWriter::Show(std::uint16_t lines, std::uint16_t changed) {
  for (const Wire& wire : kWires)
    if (changed & wire.mask) {
      const char text[3] = {(lines & wire.mask) ? '1' : '0', wire.id, '\n'};
      Append(text, sizeof(text));
    }
}

// A timestamp, unless the text already ends at that time: the next access after a write-out
// comes at the time written out last.
void VcdWriter::Stamp(std::uint64_t time) {
  if (time == stamped_) return;
  stamped_ = time;
  char digits[24];
  int n = 0;
  do digits[n++] = static_cast<char>('0' + time % 10);
  while ((time /= 10) != 0);
  char text[26];
  int length = 0;
  text[length++] = '#';
  while (n) text[length++] = digits[--n];
  text[length++] = '\n';
  Append(text, length);
}

void VcdWriter::Append(const char* text, std::size_t length) {
  if (pending_ + length > sizeof(text_)) WriteOut();
  std::memcpy(text_ + pending_, text, length);
  pending_ += length;
}

void VcdWriter::WriteOut() {
  if (pending_) std::fwrite(text_, 1, pending_, file_);
  pending_ = 0;
}

}  // namespace sim
