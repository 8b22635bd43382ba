#include "PcState.h"

#include <cstdio>
#include <ctime>

#include "Settings.h"
#include "Simulator.h"
#include "TarvenK3Cmd.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace sim {
namespace {

constexpr std::uint32_t kCallsShown = 20;

// Whether a program holds the machine-wide unit lock now: it does while a call of the library
// touches the ports.
bool UnitLockHeld() {
#ifdef _WIN32
  HANDLE lock = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, TCX_UNIT_LOCK_NAME);
  if (!lock) return false;
  const DWORD waited = WaitForSingleObject(lock, 0);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(lock);
  CloseHandle(lock);
  return waited == WAIT_TIMEOUT;
#else
  return false;
#endif
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) quoted += c;
  }
  return quoted + "\"";
}

const char* BandName(RadioBand band) { return band == kFmBand ? "FM" : "AM"; }

}  // namespace

PcState StateOf(const SimulatedPc& pc) {
  PcState state;
  for (const Setting& setting : Settings())
    if (setting.show) state.settings.emplace_back(KeyOf(setting), setting.show(pc));
  state.tilt = pc.monitor.tilt;
  state.day = pc.monitor.dayLevel;
  state.night = pc.monitor.nightLevel;
  state.radioOn = pc.parallelPort.dataWritten && !(pc.parallelPort.data & 0x08);
  state.tuning = pc.tuner.Tuned();
  state.openHandles = static_cast<int>(pc.monitor.OpenHandleCount());
  if (pc.records) {
    for (const ProgramRecord& program : pc.records->programs)
      if (program.pid && ProcessRunning(program.pid)) state.programs.push_back(program);
    pc.records->EachCall(kCallsShown, [&](const CallRecord& call) { state.calls.push_back(call); });
  }
  state.unitLockHeld = UnitLockHeld();
  return state;
}

std::string TunedText(const Tuner::Tuning& tuning) {
  return std::string(BandName(tuning.band)) + " " + FrequencyText(tuning.band, tuning.frequency);
}

std::string RadioText(const PcState& s) {
  if (!s.radioOn) return "off";
  return "on, " + TunedText(s.tuning) + (s.tuning.station ? ", station" : ", no station") +
         (s.tuning.stereo ? ", stereo" : "");
}

std::string ProgramText(const ProgramRecord& p) {
  return std::string(p.name) + " (pid " + std::to_string(p.pid) + "): " + std::to_string(p.openHandles) +
         " unit handle" + (p.openHandles == 1 ? "" : "s") + (p.portIo ? ", port I/O" : "");
}

std::string FrequencyText(RadioBand band, int frequency) {
  char text[24];
  if (frequency <= 0) return "not tuned";
  if (band == kFmBand)
    std::snprintf(text, sizeof text, "%d.%02d MHz", frequency / 100, frequency % 100);
  else
    std::snprintf(text, sizeof text, "%d kHz", frequency);
  return text;
}

std::string TimeOfDay(std::uint64_t atMs) {
  const std::time_t seconds = static_cast<std::time_t>(atMs / 1000);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(atMs % 1000));
  return text;
}

std::string StateText(const PcState& s) {
  std::string text;
  for (const auto& [key, value] : s.settings) text += key + "=" + value + "\n";
  text += "radio: " + RadioText(s) + "\n";
  text += "unit handles open: " + std::to_string(s.openHandles) + "\n";
  for (const ProgramRecord& program : s.programs) text += "program: " + ProgramText(program) + "\n";
  text += std::string("unit lock: ") + (s.unitLockHeld ? "held" : "free") + "\n";
  for (const CallRecord& call : s.calls)
    text += "call: " + TimeOfDay(call.atMs) + "  " + call.program + "  " + call.text + "\n";
  return text;
}

std::string StateJson(const PcState& s) {
  std::string json = "{\n";
  for (const auto& [key, value] : s.settings)
    if (key != "tilt" && key != "brightness") json += "  " + Quoted(key) + ": " + Quoted(value) + ",\n";
  json += "  \"tilt\": " + std::to_string(s.tilt) + ",\n";
  json += "  \"brightness\": {\"day\": " + std::to_string(s.day) + ", \"night\": " + std::to_string(s.night) + "},\n";
  json += std::string("  \"radio\": {\"open\": ") + (s.radioOn ? "true" : "false") + ", \"band\": \"" +
          BandName(s.tuning.band) + "\", \"frequency\": " + std::to_string(s.tuning.frequency) +
          ", \"frequency_text\": " + Quoted(FrequencyText(s.tuning.band, s.tuning.frequency)) +
          ", \"station\": " + (s.tuning.station ? "true" : "false") + ", \"stereo\": " +
          (s.tuning.stereo ? "true" : "false") + "},\n";
  json += "  \"unit_handles_open\": " + std::to_string(s.openHandles) + ",\n";
  json += "  \"programs\": [";
  for (std::size_t i = 0; i < s.programs.size(); ++i) {
    const ProgramRecord& p = s.programs[i];
    json += std::string(i ? ", " : "") + "{\"pid\": " + std::to_string(p.pid) + ", \"name\": " + Quoted(p.name) +
            ", \"unit_handles\": " + std::to_string(p.openHandles) + ", \"port_io\": " + (p.portIo ? "true" : "false") +
            "}";
  }
  json += std::string("],\n  \"unit_lock\": ") + (s.unitLockHeld ? "\"held\"" : "\"free\"") + ",\n";
  json += "  \"calls\": [";
  for (std::size_t i = 0; i < s.calls.size(); ++i) {
    const CallRecord& c = s.calls[i];
    json += std::string(i ? "," : "") + "\n    {\"time\": " + Quoted(TimeOfDay(c.atMs)) + ", \"program\": " +
            Quoted(c.program) + ", \"pid\": " + std::to_string(c.pid) + ", \"call\": " + Quoted(c.text) + "}";
  }
  json += s.calls.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return json;
}

}  // namespace sim
