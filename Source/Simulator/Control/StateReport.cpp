#include "StateReport.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "Simulator.h"

namespace sim {
namespace {

constexpr char kReportVariable[] = "TARVEN_SIM_REPORT";

void Line(std::string& out, const char* key, long long value) {
  out += key;
  out += '=';
  out += std::to_string(value);
  out += '\n';
}

// calls: how many calls of the two outside libraries the PC has seen, so a reader can tell
// whether anything reached it. Port accesses are not counted (a radio transfer makes hundreds);
// their effect shows in the devices' lines. radioOff: the radio-off line of the parallel port
// (data bit 3), which the tuner bus leaves alone.
void PcLines(const SimulatedPc& pc, std::string& out) {
  Line(out, "calls", static_cast<long long>(pc.trace.Count(Event::Call)));
  Line(out, "faults", static_cast<long long>(pc.faults.size()));
  Line(out, "portIo", pc.portIoInitialized);
  Line(out, "parallel.radioOff", (pc.parallelPort.data >> 3) & 1);
}

void MonitorLines(const SimulatedPc& pc, std::string& out) {
  Line(out, "monitor.openHandles", static_cast<long long>(pc.monitor.OpenHandleCount()));
  Line(out, "monitor.tilt", pc.monitor.tilt);
  Line(out, "monitor.day", pc.monitor.dayLevel);
  Line(out, "monitor.night", pc.monitor.nightLevel);
}

// A register as the bytes last written to it, in upper-case hexadecimal: "DA 2A 8E 70".
std::string Bytes(const std::array<std::uint8_t, 4>& bytes) {
  std::string text;
  for (const std::uint8_t b : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof(hex), "%02X", b);
    text += (text.empty() ? "" : " ") + std::string(hex);
  }
  return text;
}

// The tuner's registers by their bus address, and the transfers it could not make sense of.
void TunerLines(const SimulatedPc& pc, std::string& out) {
  out += "tuner.0x28=" + Bytes(pc.tuner.divisorFrame) + "\n";
  out += "tuner.0x29=" + Bytes(pc.tuner.modeFrame) + "\n";
  Line(out, "tuner.malformed", pc.tuner.malformed);
}

// Each part of the simulated PC appends its own lines.
void (*const kParts[])(const SimulatedPc&, std::string&) = {PcLines, MonitorLines, TunerLines};

}  // namespace

std::string StateReportText(const SimulatedPc& pc) {
  std::string text;
  for (const auto part : kParts) part(pc, text);
  return text;
}

void WriteStateReport() {
  const char* path = std::getenv(kReportVariable);
  if (!path || !*path) return;
  // Rewritten only when it changes: most port accesses change nothing reported.
  static std::string written;
  std::string text = StateReportText(Pc());
  if (text == written) return;
  if (std::FILE* file = std::fopen(path, "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    written = std::move(text);
  }
}

}  // namespace sim
