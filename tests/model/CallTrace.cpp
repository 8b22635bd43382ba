#include "CallTrace.h"

#include <cstdio>

namespace model {
namespace {

constexpr std::uint16_t kIndexPort = 0x2E;
constexpr std::uint16_t kConfigDataPort = 0x2F;
constexpr std::uint16_t kDataPort = 0x378;
constexpr std::uint16_t kStatusPort = 0x379;
constexpr std::uint16_t kControlPort = 0x37A;

constexpr std::uint8_t kEnable = 0x01;
constexpr std::uint8_t kDataOut = 0x02;
constexpr std::uint8_t kClock = 0x04;
constexpr std::uint8_t kNotBusLines = 0xF8;
constexpr std::uint8_t kDataIn = 0x40;

// Port accesses of whole transfers as the bus is built: data register writes and status reads.
constexpr int kWriteTransferDataWrites = 126;
constexpr int kReadTransferDataWrites = 124;
constexpr int kReadTransferStatusReads = 48;
constexpr int kWrittenBits = 32;

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

bool IsLibraryPort(std::uint16_t port) {
  return port == kIndexPort || port == kConfigDataPort || port == kDataPort || port == kStatusPort ||
         port == kControlPort;
}

// Device library calls with the arguments the library chooses; the handle is the device's.
std::string CallStep(const sim::Event& e) {
  const std::string name = e.call;
  if (name == "Sleep") return "wait " + std::to_string(e.args[0]);
  if (name == "TarVen_Open")
    return "call " + name + " " + Hex(unsigned(e.args[0]), 8) + " " + Hex(unsigned(e.args[1]), 1) + " " +
           Hex(unsigned(e.args[2]), 1);
  if (name == "TarVen_SetMonitorTiltUp" || name == "TarVen_SetMonitorTiltDown")
    return "call " + name + " " + Hex(unsigned(e.args[1]), 2);
  if (name == "TarVen_SetMonitorBrightness")
    return "call " + name + " " + Hex(unsigned(e.args[1]), 2) + " " + Hex(unsigned(e.args[2]), 2);
  return "call " + name;
}

bool StartsTransfer(const std::vector<sim::Event>& events, std::size_t i) {
  return i + 1 < events.size() && events[i].kind == sim::Event::PortWrite && events[i].port == kControlPort &&
         events[i + 1].kind == sim::Event::PortRead && events[i + 1].port == kDataPort;
}

bool InTransfer(const sim::Event& e) {
  return (e.kind == sim::Event::PortWrite && e.port == kDataPort) ||
         (e.kind == sim::Event::PortRead && e.port == kStatusPort);
}

// Decodes one transfer from its line changes, as a tuner on the lines would: bits taken on the
// clock's rising edge, the last eight with enable low form the address, then either the written
// data bits or the status register samples. Returns the index after the transfer.
std::size_t ReadTransfer(const std::vector<sim::Event>& events, std::size_t i, CallTrace& out) {
  const std::uint8_t found = events[i + 1].value;
  std::uint8_t lines = found;
  std::uint8_t address = 0;
  int enableRises = 0, dataBits = 0, dataWrites = 0, statusReads = 0;
  std::array<std::uint8_t, 4> written{};
  StatusFrame answered{};
  std::size_t at = i + 2;
  for (; at < events.size() && InTransfer(events[at]); ++at) {
    const sim::Event& e = events[at];
    if (e.kind == sim::Event::PortRead) {
      if (statusReads < kReadTransferStatusReads && (e.value & kDataIn))
        answered[statusReads / 8] |= 0x80 >> (statusReads % 8);
      ++statusReads;
      continue;
    }
    ++dataWrites;
    const std::uint8_t v = e.value;
    if ((v & kNotBusLines) != (found & kNotBusLines))
      out.violations.push_back("transfer found " + Hex(found, 2) + " in the data register and wrote " + Hex(v, 2));
    if ((v & kEnable) && !(lines & kEnable)) {
      ++enableRises;
      if (dataBits) out.violations.push_back("enable rose again within a transfer");
    }
    if ((v & kClock) && !(lines & kClock)) {
      if (!(v & kEnable)) {
        address = static_cast<std::uint8_t>(address >> 1 | ((v & kDataOut) ? 0x80 : 0));
      } else {
        if (dataBits < kWrittenBits && (v & kDataOut)) written[dataBits / 8] |= 1u << (dataBits % 8);
        ++dataBits;
      }
    }
    lines = v;
  }
  const bool read = statusReads > 0;
  if (enableRises != 1) out.violations.push_back("transfer raised enable " + std::to_string(enableRises) + " times");
  if (lines & kEnable) out.violations.push_back("transfer left enable high");
  if (!(lines & kClock)) out.violations.push_back("transfer left the clock low");
  if (read) {
    if (dataBits != kReadTransferStatusReads || statusReads != kReadTransferStatusReads ||
        dataWrites != kReadTransferDataWrites)
      out.violations.push_back("bus read of " + std::to_string(dataBits) + " clocks, " +
                               std::to_string(statusReads) + " samples, " + std::to_string(dataWrites) + " writes");
    out.steps.push_back("status " + Hex(address, 2));
    out.statusFrames.push_back(answered);
  } else {
    if (dataBits != kWrittenBits || dataWrites != kWriteTransferDataWrites)
      out.violations.push_back("bus write of " + std::to_string(dataBits) + " bits, " + std::to_string(dataWrites) +
                               " writes");
    out.steps.push_back("frame " + Hex(address, 2) + " " + Hex(written[0], 2) + " " + Hex(written[1], 2) + " " +
                        Hex(written[2], 2) + " " + Hex(written[3], 2));
  }
  return at;
}

}  // namespace

CallTrace ReadCallTrace(const std::vector<sim::Event>& events) {
  CallTrace out;
  for (std::size_t i = 0; i < events.size();) {
    const sim::Event& e = events[i];
    if (e.kind == sim::Event::Call) {
      out.steps.push_back(CallStep(e));
      ++i;
      continue;
    }
    if (!IsLibraryPort(e.port)) out.violations.push_back("touched port " + Hex(e.port, 4));
    if (StartsTransfer(events, i)) {
      i = ReadTransfer(events, i, out);
      continue;
    }
    if (e.kind == sim::Event::PortWrite) {
      out.steps.push_back("write " + Hex(e.port, 2) + " " + Hex(e.value, 2));
    } else {
      out.steps.push_back("read " + Hex(e.port, 2));
      if (e.port == kStatusPort) out.statusRegisterReads.push_back(e.value);
    }
    ++i;
  }
  return out;
}

}  // namespace model
