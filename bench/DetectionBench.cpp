// Wall time of a station detection on the simulated PC, waits slept for real, against the
// 140 ms its four 35 ms waits take at least (300 ms when every sample retries); the bus alone,
// and the bus while the simulator writes its lines to a waveform file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "LibraryState.h"
#include "Simulator.h"
#include "TarvenK3Cmd.h"

namespace {

struct Figures {
  double min, median, max;
};

Figures Time(int band, int runs) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    tcx_GetChannelDetectState(band);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2], ms.back()};
}

void Row(const char* what, double floorMs, Figures f) {
  std::printf("  %-38s %8.2f %8.2f %8.2f %7.0f %+8.2f\n", what, f.min, f.median, f.max, floorMs,
              f.median - floorMs);
}

void BusRow(const char* what, int accesses, Figures f) {
  std::printf("  %-38s %8.3f %8.3f %8.3f  (%.0f ns per port access)\n", what, f.min, f.median, f.max,
              f.median * 1e6 / accesses);
}

// The bus alone (waits not slept): a detection on FM 93.50 (stereo) and on FM 98.90 (mono,
// every sample retries); their medians.
struct BusMedians {
  double stereo, mono;
};
BusMedians BusRows() {
  tcx_SetChannelRadio(0, 9350);
  const Figures stereo = Time(0, 100);
  BusRow("FM 93.50, 1720 port accesses", 1720, stereo);
  tcx_SetChannelRadio(0, 9890);
  const Figures mono = Time(0, 100);
  BusRow("FM 98.90, 3440 port accesses", 3440, mono);
  return {stereo.median, mono.median};
}

}  // namespace

int main() {
  sim::Reset();
  sim::SimulatedPc& pc = sim::Pc();
  pc.trace.enabled = false;
  tcx_OpenTARVEN();
  tcx_OpenRadio();
  constexpr int kRuns = 10;  // waits slept for real

  std::printf("Station detection on the simulator (ms)      min   median      max   floor  over floor\n");
  pc.realSleeps = true;
  tcx_SetChannelRadio(0, 9350);
  Row("FM 93.50 stereo (no retry)", 140, Time(0, kRuns));
  tcx_SetChannelRadio(0, 9890);
  Row("FM 98.90 mono (every sample retries)", 300, Time(0, kRuns));

  pc.realSleeps = false;
  std::printf("The same with the waits not slept: bus and simulator only (ms)\n");
  const BusMedians bare = BusRows();

  const std::string vcd = (std::filesystem::temp_directory_path() / "radio_bench.vcd").string();
  if (!pc.StartVcd(vcd)) return 1;
  std::printf("The same while writing the port's lines to a waveform file (TARVEN_SIM_VCD)\n");
  const BusMedians written = BusRows();
  pc.StopVcd();
  std::printf("  waveform's cost: %.2fx and %.2fx the bus time without it (goal: at most 2x)\n",
              written.stereo / bare.stereo, written.mono / bare.mono);
  std::filesystem::remove(vcd);
  tcx_CloseTARVEN();
  return pc.faults.empty() ? 0 : 1;
}
