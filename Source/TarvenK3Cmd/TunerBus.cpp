// Each helper below is one step of the bus's timing: a line change is one write of the whole
// data register, computed from the transfer's copy of it. Nothing waits between changes; the
// bus runs at the speed of the port accesses.
#include "TunerBus.h"

#include <initializer_list>

#include "PortIo.h"

namespace {

// Output lines on the parallel data register. Bits 3-7 are not the bus's (bit 3 switches the
// radio off): every write of a transfer carries them as the transfer found them.
constexpr DWORD kEnable = 0x01;   // low while the address byte is sent, high for the data bytes
constexpr DWORD kDataOut = 0x02;  // the bit being sent, changed while the clock is low
constexpr DWORD kClock = 0x04;    // idles high; goes low and back high once per bit
// Input line on the parallel status register.
constexpr DWORD kDataIn = 0x40;

// Written to the control register at the start of every transfer.
constexpr DWORD kControlForTransfer = 0x01;

constexpr int kBitsPerByte = 8;

// The data register's lines during one transfer: loaded by one read of the register, then
// every change is made here and written out whole.
class Lines {
 public:
  explicit Lines(DWORD registerValue) : shadow_(registerValue) {}

  // Drives the lines in `low` to 0 and those in `high` to 1, in one write.
  void Drive(DWORD low, DWORD high) {
    shadow_ = (shadow_ & ~low) | high;
    WritePort(kParallelDataPort, shadow_);
  }
  void Raise(DWORD lines) { Drive(0, lines); }
  void Lower(DWORD lines) { Drive(lines, 0); }
  void Put(DWORD line, bool level) { level ? Raise(line) : Lower(line); }

 private:
  DWORD shadow_;
};

// Every transfer: the control register set, then the data register read afresh.
Lines BeginTransfer() {
  WritePort(kParallelControlPort, kControlForTransfer);
  return Lines(ReadPort(kParallelDataPort));
}

// Starting write of a write transfer: enable low, data out low, clock high.
void StartWrite(Lines& bus) { bus.Drive(kEnable | kDataOut, kClock); }

// Starting write of a read transfer: enable low, data out high, clock high.
void StartRead(Lines& bus) { bus.Drive(kEnable, kDataOut | kClock); }

// A sent bit of a write transfer: clock and data out low together, data out to the bit, clock
// high with the bit held.
void WriteTransferBit(Lines& bus, bool bit) {
  bus.Lower(kClock | kDataOut);
  bus.Put(kDataOut, bit);
  bus.Raise(kClock);
}

// A sent bit of a read transfer: clock low with data out still at the previous bit, data out
// to the bit, clock high.
void ReadTransferBit(Lines& bus, bool bit) {
  bus.Lower(kClock);
  bus.Put(kDataOut, bit);
  bus.Raise(kClock);
}

// Least significant bit first; only the low 8 bits of byte.
void SendByte(Lines& bus, DWORD byte, void (*sendBit)(Lines&, bool)) {
  for (int bit = 0; bit < kBitsPerByte; ++bit) sendBit(bus, (byte >> bit) & 1);
}

void RaiseEnable(Lines& bus) { bus.Raise(kEnable); }

// A received bit: clock low, clock high, then the data-in line sampled.
bool ReceiveBit(Lines& bus) {
  bus.Lower(kClock);
  bus.Raise(kClock);
  return (ReadPort(kParallelStatusPort) & kDataIn) != 0;
}

// Most significant bit first.
BYTE ReceiveByte(Lines& bus) {
  BYTE byte = 0;
  for (int bit = kBitsPerByte - 1; bit >= 0; --bit)
    if (ReceiveBit(bus)) byte |= 1u << bit;
  return byte;
}

// Final write of a write transfer: enable and data out low; the clock stays high.
void EndWrite(Lines& bus) { bus.Lower(kEnable | kDataOut); }

// Final write of a read transfer: enable low; the clock stays high, data out as it was.
void EndRead(Lines& bus) { bus.Lower(kEnable); }

}  // namespace

void TunerBusWrite(DWORD address, DWORD byte1, DWORD byte2, DWORD byte3, DWORD byte4) {
  Lines bus = BeginTransfer();
  StartWrite(bus);
  SendByte(bus, address, WriteTransferBit);
  RaiseEnable(bus);
  // After each of the first three data bytes the enable write comes again (the line is
  // already high, so the same value is written); after the last, only the final write.
  for (DWORD byte : {byte1, byte2, byte3}) {
    SendByte(bus, byte, WriteTransferBit);
    RaiseEnable(bus);
  }
  SendByte(bus, byte4, WriteTransferBit);
  EndWrite(bus);
}

void TunerBusRead(DWORD address, BYTE (&buffer)[kTunerReadLength]) {
  Lines bus = BeginTransfer();
  StartRead(bus);
  SendByte(bus, address, ReadTransferBit);
  bus.Raise(kClock);  // the clock is high already: the same value is written again
  RaiseEnable(bus);
  for (BYTE& byte : buffer) byte = ReceiveByte(bus);
  EndRead(bus);
}
