// The band scan: one tuning and one station detection per step from the plan's first
// frequency to its last. With steps finer than the band's merge width (FM 50 kHz, AM 5 kHz)
// one station hits on several neighbouring steps, and such a run of hits is one station, at
// its middle step (the lower middle for an even count); a run that the range cuts off is
// followed a few steps past the range's end so that its middle is right. With coarser steps
// every hit is a station. FM stations have their stereo indicator read after tuning back.
#pragma once

#include <cstdio>

#include "Frequency.h"
#include "TcxEntryPoints.h"

// The finest scan, the whole FM band on its grid, has this many steps.
constexpr int kMaxScanSteps = (108000 - 76000) / 10 + 1;

struct ScanPlan {
  const Band* band;
  int fromKhz, toKhz, stepKhz;
};

struct Station {
  int khz;
  bool stereo;
};

struct ScanResult {
  Station stations[kMaxScanSteps];
  int stationCount;
  int steps;         // frequencies of the range that were scanned
  int plannedSteps;  // frequencies in the range
  bool complete;     // false when stopped before the range's end
  double seconds;
};

struct ScanOptions {
  const volatile long* stop;  // non-zero: stop before the next step
  std::FILE* progress;        // gets the rewritten progress line; nullptr for none
};

// Tunes to khz on band and tells whether the tuner detects a station there. The radio must be open.
bool TuneAndDetect(const TcxEntryPoints& library, const Band& band, int khz);

// The plan's default range and step for band.
ScanPlan DefaultScanPlan(const Band& band);

int PlannedSteps(const ScanPlan& plan);

// The radio must be open.
void RunBandScan(const TcxEntryPoints& library, const ScanPlan& plan, const ScanOptions& options, ScanResult* result);
