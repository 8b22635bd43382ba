// Wall time of k3ctl's band scan on the simulated PC, waits slept for real, against the number
// of steps times the median station detection measured here on the same frequencies: what the
// scan adds to the detections it cannot avoid (tuning, stereo reads, progress line) should not
// show. The stations are mono, so that every detection takes the same time (all retry).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "BandScan.h"
#include "Simulator.h"
#include "TarvenK3Cmd.h"

namespace {

constexpr double kMostOverhead = 1.05;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

ScanResult result;

}  // namespace

int main() {
  sim::Reset();
  sim::SimulatedPc& pc = sim::Pc();
  pc.trace.enabled = false;
  pc.tuner.stations = {{sim::kFmBand, 9350, false}, {sim::kFmBand, 9360, false}};
  pc.realSleeps = true;
  tcx_OpenTARVEN();
  tcx_OpenRadio();
  const ScanPlan plan = {&kFm, 93000, 95000, 100};
  const int steps = PlannedSteps(plan);

  std::vector<double> detections;
  for (int step = 0; step < steps; ++step) {
    tcx_SetChannelRadio(kFm.flag, RawFrequency(kFm, plan.fromKhz + step * plan.stepKhz));
    const auto start = std::chrono::steady_clock::now();
    tcx_GetChannelDetectState(kFm.flag);
    detections.push_back(Seconds(start));
  }
  std::sort(detections.begin(), detections.end());
  const double median = detections[detections.size() / 2];
  double total = 0;
  for (const double d : detections) total += d;

  std::FILE* progress = std::fopen("/dev/null", "w");
  const volatile long stop = 0;
  const auto start = std::chrono::steady_clock::now();
  RunBandScan(TcxLinkedEntryPoints(), plan, {&stop, progress}, &result);
  const double wall = Seconds(start);
  std::fclose(progress);
  tcx_CloseTARVEN();

  const double ratio = wall / (steps * median);
  std::printf("Band scan on the simulator, FM 93.00-95.00 MHz in 100 kHz steps, progress line written\n");
  std::printf("  %d steps: wall %.3f s; %d x median detection %.1f ms = %.3f s; ratio %.3f (at most %.2f)\n",
              steps, wall, steps, median * 1e3, steps * median, ratio, kMostOverhead);
  std::printf("  the same detections one by one: total %.3f s, mean %.1f ms; stations found: %d (2 expected)\n",
              total, total / steps * 1e3, result.stationCount);
  return ratio <= kMostOverhead && result.stationCount == 2 && pc.faults.empty() ? 0 : 1;
}
