#include "VcdWriter.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace sim {
namespace {

// The lines, as bits of data register | status register << 8. Identifiers are one printable
// character each; names avoid the characters of sigrok's channel options (':', '=', ',').
// Bits 4-7 of the data register complete it, one wire each: sigrok 0.5 reads only 1-bit wires,
// and a vector's value in the file makes it drop the rest of what it read.
struct Wire {
  const char* name;
  char id;
  std::uint16_t mask;
};
constexpr std::uint16_t kEnable = 0x0001;
constexpr std::uint16_t kDataOut = 0x0002;
constexpr std::uint16_t kClock = 0x0004;
constexpr Wire kWires[] = {
    {"enable", 'E', kEnable}, {"data_out", 'O', kDataOut}, {"clock", 'C', kClock},
    {"radio_off", 'R', 0x0008}, {"data_in", 'I', 0x4000}, {"data_4", '4', 0x0010},
    {"data_5", '5', 0x0020}, {"data_6", '6', 0x0040}, {"data_7", '7', 0x0080},
};

constexpr std::size_t kWireCount = sizeof(kWires) / sizeof(kWires[0]);

// Each wire's identifier by its bit in the lines, and the bits that are wires.
struct WireIds {
  char ofBit[16] = {};
  std::uint16_t mask = 0;
  constexpr WireIds() {
    for (const Wire& wire : kWires)
      for (int bit = 0; bit < 16; ++bit)
        if (wire.mask == 1 << bit) ofBit[bit] = wire.id, mask |= wire.mask;
  }
};
constexpr WireIds kWireIds;
constexpr const char* kIdOfBit = kWireIds.ofBit;
constexpr std::uint16_t kShownLines = kWireIds.mask;

constexpr char kHeader[] =
    "$timescale 1 us $end\n"
    "$scope module parallel_port $end\n";
constexpr char kHeaderEnd[] =
    "$upscope $end\n"
    "$enddefinitions $end\n"
    "#0\n"
    "$dumpvars\n";

// Writes time in decimal to out; returns the number of digits.
int Decimal(std::uint64_t time, char* out) {
  int digits = 1;
  for (std::uint64_t rest = time; rest >= 10; rest /= 10) ++digits;
  for (int i = digits - 1; i >= 0; --i, time /= 10) out[i] = static_cast<char>('0' + time % 10);
  return digits;
}

}  // namespace

VcdWriter& VcdWriter::operator=(VcdWriter&& other) noexcept {
  if (this == &other) return *this;
  this->~VcdWriter();
  return *new (this) VcdWriter(static_cast<VcdWriter&&>(other));
}

bool VcdWriter::Open(const std::string& path, std::uint8_t data, std::uint8_t status) {
  Close();
  if (!file_.Open(path)) return false;
  now_ = stamped_ = clockTextTime_ = 0;
  std::memset(clockText_, '\n', sizeof(clockText_));
  clockTextLength_ = Decimal(0, clockText_);
  shown_ = Lines(data, status);
  transferUnderWay_ = clockFellAtRest_ = false;
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
  upToDate_ = file_.Length();
  return true;
}

void VcdWriter::Close() {
  if (!file_.IsOpen()) return;
  Stamp(now_ + kAccessUs);
  file_.Close();
}

void VcdWriter::Wait(std::uint64_t microseconds) {
  if (!file_.IsOpen()) return;
  now_ += microseconds;
  if (resting_) restingSince_ = RealClock::now();  // so the wait is not counted twice
}

void VcdWriter::Advance() {
  // The library waits only between transfers; inside one the real clock is not read, so it is
  // read about twice per transfer rather than at every access.
  if (resting_) {
    const RealClock::time_point now = RealClock::now();
    using std::chrono::microseconds;
    const auto away = std::chrono::duration_cast<microseconds>(now - restingSince_).count();
    if (static_cast<std::uint64_t>(away) > kAccessUs) now_ += away;
    restingSince_ = now;
  }
  now_ += kAccessUs;
  if (now_ == clockTextTime_ + 1) {
    CountUp();  // counting up in decimal: the common case, one access after the last
  } else {
    clockTextLength_ = Decimal(now_, clockText_);
    clockTextTime_ = now_;
  }
}

void VcdWriter::CarryOut() {
  std::memmove(clockText_ + 1, clockText_, clockTextLength_++);
  clockText_[0] = '1';
}

void VcdWriter::Record(std::uint8_t data, std::uint8_t status, bool dataWrite) {
  const std::uint16_t lines = Lines(data, status);
  const std::uint16_t changed = lines ^ shown_;
  const bool wasResting = resting_;
  // A clock that fell alone from rest was a transfer's first bit if the next access writes
  // the data register again (the bit), and otherwise a call's line change (the radio's open
  // pattern lowers it): then the transfer it seemed to start never was.
  if (clockFellAtRest_ && !dataWrite) transferUnderWay_ = false;
  clockFellAtRest_ = false;
  if (changed) {
    Stamp(now_);
    Show(lines, changed);
    // A transfer is under way from its starting write until enable falls after its data.
    // Between transfers data out changes only in a transfer's starting write or to put a bit,
    // and a rising clock clocks a bit. A clock falling with other lines from rest is a call's
    // last write (the radio's closed pattern): the file is brought up to date there, as at the
    // end of every transfer.
    const bool clockFell = (changed & kClock) && !(lines & kClock);
    const bool clockRose = (changed & kClock) && (lines & kClock);
    if ((changed & kEnable) && !(lines & kEnable)) {
      transferUnderWay_ = false;
    } else if ((lines & kEnable) || clockRose || ((changed & kDataOut) && !clockFell)) {
      transferUnderWay_ = true;
    } else if (resting_ && (changed & kShownLines) == kClock) {
      transferUnderWay_ = clockFellAtRest_ = true;
    }
    shown_ = lines;
  }
  resting_ = !transferUnderWay_;
  if (!resting_) return;
  if (file_.Length() != upToDate_) {
    Stamp(now_ + kAccessUs);
    upToDate_ = file_.Length();
  }
  if (!wasResting) restingSince_ = RealClock::now();  // a transfer ended
}

// The values of the wires in changed, one line each: value, identifier, newline.
void VcdWriter::Show(std::uint16_t lines, std::uint16_t changed) {
  char* out = Room(kWireCount * 3);
  if (!out) return;
  for (std::uint16_t rest = changed & kShownLines; rest; rest &= rest - 1) {
    const int bit = __builtin_ctz(rest);
    *out++ = (lines >> bit & 1) ? '1' : '0';
    *out++ = kIdOfBit[bit];
    *out++ = '\n';
  }
  file_.Extend(out);
}

// A timestamp, unless the text already ends at that time: the next access after a write-out
// comes at the time written out last.
void VcdWriter::Stamp(std::uint64_t time) {
  if (time == stamped_) return;
  stamped_ = time;
  char* out = Room(sizeof(clockText_) + 2);
  if (!out) return;
  *out++ = '#';
  if (time == clockTextTime_) {
    // Whole, a fixed-size copy is cheaper; what lies past the digits is newlines, as past the
    // text.
    std::memcpy(out, clockText_, sizeof(clockText_));
    out += clockTextLength_;
  } else {
    out += Decimal(time, out);
  }
  *out++ = '\n';
  file_.Extend(out);
}

// When the file cannot grow (the disk is full), it ends there, closed: a file whose text lacks
// a piece in its middle would show the bus wrong.
char* VcdWriter::Room(std::size_t length) {
  char* out = file_.Room(length);
  if (!out) file_.Close();
  return out;
}

void VcdWriter::Append(const char* text, std::size_t length) {
  char* out = Room(length);
  if (!out) return;
  std::memcpy(out, text, length);
  file_.Extend(out + length);
}

}  // namespace sim
