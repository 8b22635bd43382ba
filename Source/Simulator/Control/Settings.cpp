#include "Settings.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "Simulator.h"

namespace sim {
namespace {

constexpr char kSharedVariable[] = "TARVEN_SIM_SHARED";

// "FM:9350:stereo,FM:9890,AM:810": band, frequency in the band's unit (FM 10 kHz steps, AM kHz),
// and "stereo" for a stereo FM station. Entries that do not read so are skipped, and make the
// text not read as a whole.
bool ParseStations(const std::string& text, StationList& stations) {
  stations.clear();
  bool whole = true;
  std::istringstream entries(text);
  std::string entry;
  while (std::getline(entries, entry, ',')) {
    char band[3] = {};
    int frequency = 0, length = 0;
    char stereo[7] = {};
    const int fields = std::sscanf(entry.c_str(), " %2[FMA]:%d%n:%6s%n", band, &frequency, &length, stereo, &length);
    const bool known = std::string(band) == "FM" || std::string(band) == "AM";
    if (fields < 2 || !known) {
      whole = false;
      continue;
    }
    whole = whole && frequency > 0 && static_cast<std::size_t>(length) == entry.size() &&
            (fields == 2 || std::string(stereo) == "stereo");
    whole = stations.push_back({std::string(band) == "FM" ? kFmBand : kAmBand, frequency,
                                fields == 3 && std::string(stereo) == "stereo"}) && whole;
  }
  return whole;
}

template <typename... Args>
std::string Text(const char* format, Args... args) {
  char text[48];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

std::string Failures(bool always, std::uint32_t left) {
  return always ? "fails" : left ? "next:" + std::to_string(left) : "ok";
}

std::string StationsText(const StationList& stations) {
  std::string text;
  for (const Station& station : stations)
    text += Text("%s%s:%d%s", text.empty() ? "" : ",", station.band == kFmBand ? "FM" : "AM", station.frequency,
                 station.stereo ? ":stereo" : "");
  return text;
}

// A whole decimal number from low to high.
bool Number(const std::string& text, long low, long high, long* value) {
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && *value >= low && *value <= high;
}

// ok, fails, or next:N: the records fail never, always, or for the next N reads.
bool ReadFailures(const std::string& v, bool& always, std::uint32_t& left) {
  long n = 0;
  const bool next = v.rfind("next:", 0) == 0 && Number(v.substr(5), 1, 1000000, &n);
  always = v == "fails";
  left = next ? static_cast<std::uint32_t>(n) : 0;
  return v == "ok" || always || next;
}

}  // namespace

const std::vector<Setting>& Settings() {
  static const std::vector<Setting> kSettings = {
      {"TARVEN_SIM_PORT_ACCESS", "granted | denied", "granted", "",
       [](SimulatedPc& pc, const std::string& v) {
         pc.portAccessGranted = v != "denied";
         return v == "granted" || v == "denied";
       },
       [](const SimulatedPc& pc) -> std::string { return pc.portAccessGranted ? "granted" : "denied"; }},
      {"TARVEN_SIM_UNIT", "present | absent", "present", "",
       [](SimulatedPc& pc, const std::string& v) {
         pc.monitor.present = v != "absent";
         return v == "present" || v == "absent";
       },
       [](const SimulatedPc& pc) -> std::string { return pc.monitor.present ? "present" : "absent"; }},
      {"TARVEN_SIM_MODEL", "four characters", "QX7C", "the library accepts QX7A to QX7G",
       [](SimulatedPc& pc, const std::string& v) {
         pc.monitor.modelId = v.substr(0, 4);
         return v.size() == 4;
       },
       [](const SimulatedPc& pc) -> std::string { return pc.monitor.modelId; }},
      {"TARVEN_SIM_FIRMWARE", "`major.second.third`", "1.4.2", "",
       [](SimulatedPc& pc, const std::string& v) {
         unsigned a = 0, b = 0, c = 0;
         int length = 0;
         if (std::sscanf(v.c_str(), "%u.%u.%u%n", &a, &b, &c, &length) != 3) return false;
         pc.monitor.fwMajor = static_cast<std::uint8_t>(a);
         pc.monitor.fwSecond = static_cast<std::uint8_t>(b);
         pc.monitor.fwThird = static_cast<std::uint8_t>(c);
         return static_cast<std::size_t>(length) == v.size() && a < 256 && b < 16 && c < 16;
       },
       [](const SimulatedPc& pc) { return Text("%u.%u.%u", pc.monitor.fwMajor, pc.monitor.fwSecond, pc.monitor.fwThird); }},
      {"TARVEN_SIM_DEVINFO", "ok | fails | next:N", "ok", "next:N: only the next N reads fail",
       [](SimulatedPc& pc, const std::string& v) {
         return ReadFailures(v, pc.monitor.failGetDevInfo, pc.monitor.devInfoFailuresLeft);
       },
       [](const SimulatedPc& pc) { return Failures(pc.monitor.failGetDevInfo, pc.monitor.devInfoFailuresLeft); }},
      {"TARVEN_SIM_DEVSTATUS", "ok | fails | next:N", "ok", "next:N: only the next N reads fail",
       [](SimulatedPc& pc, const std::string& v) {
         return ReadFailures(v, pc.monitor.failGetDevStatus, pc.monitor.devStatusFailuresLeft);
       },
       [](const SimulatedPc& pc) { return Failures(pc.monitor.failGetDevStatus, pc.monitor.devStatusFailuresLeft); }},
      {"TARVEN_SIM_TILT", "tilt position, 0 (down) to 10", "5", "",
       [](SimulatedPc& pc, const std::string& v) {
         long tilt = 0;
         const bool read = Number(v, 0, MonitorUnit::kTiltTopStop, &tilt);
         pc.monitor.tilt = std::atoi(v.c_str());
         return read;
       },
       [](const SimulatedPc& pc) { return std::to_string(pc.monitor.tilt); }},
      {"TARVEN_SIM_BRIGHTNESS", "`day,night` levels 0-15", "9,3", "",
       [](SimulatedPc& pc, const std::string& v) {
         int day = 0, night = 0, length = 0;
         if (std::sscanf(v.c_str(), "%d,%d%n", &day, &night, &length) != 2) return false;
         pc.monitor.dayLevel = day;
         pc.monitor.nightLevel = night;
         const int top = MonitorUnit::kMaxLevel;
         return static_cast<std::size_t>(length) == v.size() && day >= 0 && day <= top && night >= 0 && night <= top;
       },
       [](const SimulatedPc& pc) { return Text("%d,%d", pc.monitor.dayLevel, pc.monitor.nightLevel); }},
      {"TARVEN_SIM_STATUS", "status word,flag byte", "0x1100,0x02", "",
       [](SimulatedPc& pc, const std::string& v) {
         char* end = nullptr;
         pc.monitor.statusWord = static_cast<std::uint32_t>(std::strtoul(v.c_str(), &end, 0));
         if (end == v.c_str() || *end != ',') return false;
         char* flagsEnd = nullptr;
         const unsigned long flags = std::strtoul(end + 1, &flagsEnd, 0);
         pc.monitor.flags = static_cast<std::uint8_t>(flags);
         return flagsEnd != end + 1 && *flagsEnd == '\0' && flags < 256;
       },
       [](const SimulatedPc& pc) { return Text("0x%X,0x%02X", pc.monitor.statusWord, pc.monitor.flags); }},
      {"TARVEN_SIM_TUNER", "present | absent-high | absent-low", "present",
       "absent: the tuner's data-in line idles high or low",
       [](SimulatedPc& pc, const std::string& v) {
         pc.tuner.presence = v == "absent-high"  ? Tuner::Presence::AbsentHigh
                             : v == "absent-low" ? Tuner::Presence::AbsentLow
                                                 : Tuner::Presence::Present;
         return v == "present" || v == "absent-high" || v == "absent-low";
       },
       [](const SimulatedPc& pc) -> std::string {
         return pc.tuner.presence == Tuner::Presence::AbsentHigh  ? "absent-high"
                : pc.tuner.presence == Tuner::Presence::AbsentLow ? "absent-low"
                                                                  : "present";
       }},
      {"TARVEN_SIM_STATIONS", "`band:frequency[:stereo],...`", "FM:9350:stereo,FM:9890,AM:810",
       "FM in 10 kHz units, AM in kHz; empty for none; up to 32",
       [](SimulatedPc& pc, const std::string& v) { return ParseStations(v, pc.tuner.stations); },
       [](const SimulatedPc& pc) { return StationsText(pc.tuner.stations); }},
      {"TARVEN_SIM_TUNER_COUNTER", "fast | slow", "fast",
       "slow: the first reading of each station measurement asks for a second one, so detection "
       "takes longer",
       [](SimulatedPc& pc, const std::string& v) {
         pc.tuner.slowCounter = v == "slow";
         return v == "fast" || v == "slow";
       },
       [](const SimulatedPc& pc) -> std::string { return pc.tuner.slowCounter ? "slow" : "fast"; }},
      // After the hardware's settings: the first process makes the shared PC from them.
      {kSharedVariable, "a name", "",
       "the processes that name it share one simulated PC: port access, port, Super I/O chip, "
       "tuner and unit; the first makes it from its settings, later ones join it as it is; "
       "unset, a program joins the PC of a running TarvenK3Sim.exe; the host build ignores it",
       [](SimulatedPc& pc, const std::string& v) {
         if (!v.empty() && !ShareHardwareNamed(pc, v)) pc.Fault("no shared PC " + v);
         return true;
       },
       nullptr},
      // Last: the waveform starts from the lines as the settings above left them.
      {"TARVEN_SIM_VCD", "file name", "",
       "the parallel port's lines are written there as a waveform, a VCD file for GTKWave or "
       "PulseView",
       [](SimulatedPc& pc, const std::string& v) {
         if (!v.empty()) pc.StartVcd(v);
         return true;
       },
       nullptr},
  };
  return kSettings;
}

void Apply(SimulatedPc& pc, const char* variable, const std::string& value) {
  for (const Setting& setting : Settings())
    if (std::strcmp(setting.variable, variable) == 0) {
      setting.apply(pc, value);
      return;
    }
  pc.Fault(std::string("no setting ") + variable);
}

void ConfigureFromEnvironment(SimulatedPc& pc) {
  for (const Setting& setting : Settings()) {
    const char* value = std::getenv(setting.variable);
    if (value) setting.apply(pc, value);
    // Named or not, the program's PC is settled before its waveform starts: without a name it
    // joins the PC of a running window, and otherwise keeps its own.
    if (std::strcmp(setting.variable, kSharedVariable) == 0 && !(value && *value) && WindowRunning(kWindowPc))
      ShareHardwareNamed(pc, kWindowPc);
  }
}

}  // namespace sim

namespace sim {

std::string KeyOf(const Setting& setting) {
  std::string key = setting.variable + std::strlen("TARVEN_SIM_");
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

const Setting* SettingOfKey(const std::string& key) {
  for (const Setting& setting : Settings())
    if (KeyOf(setting) == key) return &setting;
  return nullptr;
}

bool SetKeys(SimulatedPc& pc, const std::vector<std::string>& assignments, std::string* error) {
  const SharedHardware before = pc;
  for (const std::string& assignment : assignments) {
    const std::size_t equals = assignment.find('=');
    const std::string key = assignment.substr(0, equals);
    const Setting* setting = SettingOfKey(key);
    std::string why;
    if (equals == std::string::npos)
      why = "'" + assignment + "' is not KEY=VALUE";
    else if (!setting || !setting->show)
      why = "no setting '" + key + "' of the running PC; the keys are:";
    else if (!setting->apply(pc, assignment.substr(equals + 1)))
      why = "'" + assignment.substr(equals + 1) + "' is not a value of " + key + ", which takes " + setting->values;
    if (why.empty()) continue;
    if (why.back() == ':')
      for (const Setting& s : Settings())
        if (s.show) why += " " + KeyOf(s);
    static_cast<SharedHardware&>(pc) = before;
    *error = why;
    return false;
  }
  return true;
}

}  // namespace sim
