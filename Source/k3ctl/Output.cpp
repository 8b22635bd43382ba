#include "Output.h"

#include <cstdio>

namespace {

const char* Bool(bool value) { return value ? "true" : "false"; }

void PrintLevelsJson(int day, int night) { std::printf("{\"day\":%d,\"night\":%d}", day, night); }

}  // namespace

void PrintInfo(bool json, const InfoResult& info) {
  if (json) {
    std::printf("{\"port_io\":%s,\"monitor_unit\":%s", Bool(info.portIo), Bool(info.unitFound));
    if (info.haveFirmware)
      std::printf(",\"firmware\":\"%u.%u.%u\"", info.firmware[0], info.firmware[1], info.firmware[2]);
    if (info.haveLevels) {
      std::printf(",\"brightness\":");
      PrintLevelsJson(info.day, info.night);
    }
    std::printf("}\n");
    return;
  }
  std::printf("port I/O: %s\n", info.portIo ? "available" : "unavailable");
  std::printf("monitor unit: %s\n", info.unitFound ? "found" : "not found");
  if (info.haveFirmware) std::printf("firmware: %u.%u.%u\n", info.firmware[0], info.firmware[1], info.firmware[2]);
  if (info.haveLevels) std::printf("brightness: day %d, night %d\n", info.day, info.night);
}

void PrintStatus(bool json, const unsigned char bits[3]) {
  std::printf(json ? "{\"status\":[%u,%u,%u]}\n" : "status: %u %u %u\n", bits[0], bits[1], bits[2]);
}

void PrintTilt(bool json, bool up, int steps) {
  if (json)
    std::printf("{\"tilted\":\"%s\",\"steps\":%d}\n", up ? "up" : "down", steps);
  else
    std::printf("tilted %s %d step%s\n", up ? "up" : "down", steps, steps == 1 ? "" : "s");
}

void PrintBrightness(bool json, int day, int night) {
  if (json) {
    PrintLevelsJson(day, night);
    std::printf("\n");
  } else {
    std::printf("day %d, night %d\n", day, night);
  }
}

void PrintDetection(bool json, const Detection& d) {
  const bool fm = d.band == &kFm;
  if (json) {
    std::printf("{\"band\":\"%s\",\"khz\":%d,\"station\":%s", d.band->name, d.khz, Bool(d.station));
    if (fm && d.station) std::printf(",\"stereo\":%s", Bool(d.stereo));
    std::printf("}\n");
    return;
  }
  char frequency[24];
  FormatFrequency(*d.band, d.khz, 0, frequency, sizeof frequency);
  const char* kind = !d.station ? "no station" : !fm ? "station" : d.stereo ? "station, stereo" : "station, mono";
  std::printf("%s %s: %s\n", d.band->name, frequency, kind);
}

// Text: one line per station, "FM  93.50 MHz  stereo", "AM  810 kHz", frequencies aligned,
// then a line saying so when the scan stopped early.
void PrintScan(bool json, const ScanPlan& plan, const ScanResult& result) {
  const Band& band = *plan.band;
  const bool fm = &band == &kFm;
  if (json) {
    std::printf("{\"band\":\"%s\",\"from_khz\":%d,\"to_khz\":%d,\"step_khz\":%d,\"stations\":[", band.name,
                plan.fromKhz, plan.toKhz, plan.stepKhz);
    for (int i = 0; i < result.stationCount; ++i) {
      const Station& s = result.stations[i];
      std::printf("%s{\"khz\":%d", i ? "," : "", s.khz);
      if (fm) std::printf(",\"stereo\":%s", Bool(s.stereo));
      std::printf("}");
    }
    std::printf("],\"steps\":%d,\"complete\":%s,\"seconds\":%.1f}\n", result.steps, Bool(result.complete),
                result.seconds);
    return;
  }
  for (int i = 0; i < result.stationCount; ++i) {
    const Station& s = result.stations[i];
    char frequency[24];
    FormatFrequency(band, s.khz, fm ? 6 : 4, frequency, sizeof frequency);
    std::printf("%s %s%s\n", band.name, frequency, !fm ? "" : s.stereo ? "  stereo" : "  mono");
  }
  if (!result.complete)
    std::printf("incomplete: stopped after %d of %d steps\n", result.steps, result.plannedSteps);
}
