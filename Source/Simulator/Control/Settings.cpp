#include "Settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "Simulator.h"

namespace sim {
namespace {

// "FM:9350:stereo,FM:9890,AM:810": band, frequency in the band's unit (FM 10 kHz steps, AM kHz),
// and "stereo" for a stereo FM station. Entries that do not read so are skipped.
std::vector<Station> ParseStations(const std::string& text) {
  std::vector<Station> stations;
  std::istringstream entries(text);
  std::string entry;
  while (std::getline(entries, entry, ',')) {
    char band[3] = {};
    int frequency = 0;
    char stereo[7] = {};
    const int fields = std::sscanf(entry.c_str(), " %2[FMA]:%d:%6s", band, &frequency, stereo);
    if (fields < 2 || (std::string(band) != "FM" && std::string(band) != "AM")) continue;
    stations.push_back({std::string(band) == "FM" ? kFmBand : kAmBand, frequency,
                        fields == 3 && std::string(stereo) == "stereo"});
  }
  return stations;
}

}  // namespace

const std::vector<Setting>& Settings() {
  static const std::vector<Setting> kSettings = {
      {"TARVEN_SIM_PORT_ACCESS", "granted | denied", "granted", "",
       [](SimulatedPc& pc, const std::string& v) { pc.portAccessGranted = v != "denied"; }},
      {"TARVEN_SIM_UNIT", "present | absent", "present", "",
       [](SimulatedPc& pc, const std::string& v) { pc.monitor.present = v != "absent"; }},
      {"TARVEN_SIM_MODEL", "four characters", "QX7C", "the library accepts QX7A to QX7G",
       [](SimulatedPc& pc, const std::string& v) { pc.monitor.modelId = v.substr(0, 4); }},
      {"TARVEN_SIM_FIRMWARE", "`major.second.third`", "1.4.2", "",
       [](SimulatedPc& pc, const std::string& v) {
         unsigned a = 0, b = 0, c = 0;
         if (std::sscanf(v.c_str(), "%u.%u.%u", &a, &b, &c) == 3) {
           pc.monitor.fwMajor = static_cast<std::uint8_t>(a);
           pc.monitor.fwSecond = static_cast<std::uint8_t>(b);
           pc.monitor.fwThird = static_cast<std::uint8_t>(c);
         }
       }},
      {"TARVEN_SIM_DEVINFO", "ok | fails", "ok", "",
       [](SimulatedPc& pc, const std::string& v) { pc.monitor.failGetDevInfo = v == "fails"; }},
      {"TARVEN_SIM_DEVSTATUS", "ok | fails", "ok", "",
       [](SimulatedPc& pc, const std::string& v) { pc.monitor.failGetDevStatus = v == "fails"; }},
      {"TARVEN_SIM_TILT", "tilt position, 0 (down) to 10", "5", "",
       [](SimulatedPc& pc, const std::string& v) { pc.monitor.tilt = std::atoi(v.c_str()); }},
      {"TARVEN_SIM_BRIGHTNESS", "`day,night` levels 0-15", "9,3", "",
       [](SimulatedPc& pc, const std::string& v) {
         int day = 0, night = 0;
         if (std::sscanf(v.c_str(), "%d,%d", &day, &night) == 2) {
           pc.monitor.dayLevel = day;
           pc.monitor.nightLevel = night;
         }
       }},
      {"TARVEN_SIM_STATUS", "status word,flag byte", "0x1100,0x02", "",
       [](SimulatedPc& pc, const std::string& v) {
         char* end = nullptr;
         pc.monitor.statusWord = static_cast<std::uint32_t>(std::strtoul(v.c_str(), &end, 0));
         if (*end == ',') pc.monitor.flags = static_cast<std::uint8_t>(std::strtoul(end + 1, nullptr, 0));
       }},
      {"TARVEN_SIM_TUNER", "present | absent-high | absent-low", "present",
       "absent: the tuner's data-in line idles high or low",
       [](SimulatedPc& pc, const std::string& v) {
         pc.tuner.presence = v == "absent-high"  ? Tuner::Presence::AbsentHigh
                             : v == "absent-low" ? Tuner::Presence::AbsentLow
                                                 : Tuner::Presence::Present;
       }},
      {"TARVEN_SIM_STATIONS", "`band:frequency[:stereo],...`", "FM:9350:stereo,FM:9890,AM:810",
       "FM in 10 kHz units, AM in kHz; empty for none",
       [](SimulatedPc& pc, const std::string& v) { pc.tuner.stations = ParseStations(v); }},
      {"TARVEN_SIM_TUNER_COUNTER", "fast | slow", "fast",
       "slow: the first reading of each station measurement asks for a second one, so detection "
       "takes longer",
       [](SimulatedPc& pc, const std::string& v) { pc.tuner.slowCounter = v == "slow"; }},
      // After the hardware's settings: the first process makes the shared PC from them.
      {"TARVEN_SIM_SHARED", "a name", "",
       "the processes that name it share one simulated PC: port, Super I/O chip, tuner and "
       "unit; the first makes it from its settings, later ones join it as it is; the host "
       "build ignores it",
       [](SimulatedPc& pc, const std::string& v) {
         if (!v.empty() && !ShareHardwareNamed(pc, v)) pc.Fault("no shared PC " + v);
       }},
      // Last: the waveform starts from the lines as the settings above left them.
      {"TARVEN_SIM_VCD", "file name", "",
       "the parallel port's lines are written there as a waveform, a VCD file for GTKWave or "
       "PulseView",
       [](SimulatedPc& pc, const std::string& v) {
         if (!v.empty()) pc.StartVcd(v);
       }},
  };
  return kSettings;
}

void Apply(SimulatedPc& pc, const char* variable, const std::string& value) {
  for (const Setting& setting : Settings())
    if (std::strcmp(setting.variable, variable) == 0) return setting.apply(pc, value);
  pc.Fault(std::string("no setting ") + variable);
}

void ConfigureFromEnvironment(SimulatedPc& pc) {
  for (const Setting& setting : Settings())
    if (const char* value = std::getenv(setting.variable)) setting.apply(pc, value);
}

}  // namespace sim
