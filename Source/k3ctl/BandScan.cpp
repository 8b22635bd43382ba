#include "BandScan.h"

#include "Clock.h"

namespace {

// Consecutive steps that hit: the first one's frequency and how many.
struct Run {
  int firstKhz;
  int length;
};

class Scanner {
 public:
  Scanner(const TcxEntryPoints& library, const ScanPlan& plan, const ScanOptions& options, ScanResult* result)
      : library_(library), plan_(plan), band_(*plan.band), options_(options), result_(result) {}

  void Scan();

 private:
  bool Stopped() const { return options_.stop && *options_.stop; }
  bool Detect(int khz);
  void AddStation(int khz);
  void EndRun(Run& run);
  void FollowBelow(Run& run);
  void FollowAbove(Run& run);
  void ShowProgress(int step, int khz, double started);
  void ClearProgress();

  const TcxEntryPoints& library_;
  const ScanPlan& plan_;
  const Band& band_;
  const ScanOptions& options_;
  ScanResult* result_;
  int progressWidth_ = 0;
};

bool Scanner::Detect(int khz) { return TuneAndDetect(library_, band_, khz); }

void Scanner::AddStation(int khz) {
  if (result_->stationCount == kMaxScanSteps) return;
  Station& station = result_->stations[result_->stationCount++];
  station.khz = khz;
  station.stereo = false;
  if (&band_ == &kFm) {
    library_.SetChannelRadio(band_.flag, RawFrequency(band_, khz));
    station.stereo = library_.GetFMStereoState() != 0;
  }
}

// A run is one station, at its middle step; the lower middle for an even count.
void Scanner::EndRun(Run& run) {
  AddStation(run.firstKhz + (run.length - 1) / 2 * plan_.stepKhz);
  run.length = 0;
}

// How many steps past the range a run is followed: a run no longer than the merge width is
// still one station.
int LookBeyond(const ScanPlan& plan) { return (plan.band->mergeBelowKhz - 1) / plan.stepKhz; }

// A run that starts on the range's first step may have begun below it.
void Scanner::FollowBelow(Run& run) {
  for (int k = 1; k <= LookBeyond(plan_) && !Stopped(); ++k) {
    const int khz = plan_.fromKhz - k * plan_.stepKhz;
    if (!Detect(khz)) return;
    run.firstKhz = khz;
    ++run.length;
  }
}

// A run still going at the range's last step may go on above it.
void Scanner::FollowAbove(Run& run) {
  const int lastKhz = run.firstKhz + (run.length - 1) * plan_.stepKhz;
  for (int k = 1; k <= LookBeyond(plan_) && !Stopped(); ++k) {
    if (!Detect(lastKhz + k * plan_.stepKhz)) return;
    ++run.length;
  }
}

// "[57/206] 93.20 MHz  found 4  ETA 0:31", rewritten in place.
void Scanner::ShowProgress(int step, int khz, double started) {
  if (!options_.progress) return;
  char frequency[24], eta[32] = "";
  FormatFrequency(band_, khz, 0, frequency, sizeof frequency);
  if (step > 0) {
    const double perStep = (MonotonicSeconds() - started) / step;
    const int seconds = static_cast<int>(perStep * (result_->plannedSteps - step) + 0.5);
    std::snprintf(eta, sizeof eta, "  ETA %d:%02d", seconds / 60, seconds % 60);
  }
  char line[96];
  const int width = std::snprintf(line, sizeof line, "[%d/%d] %s  found %d%s", step + 1, result_->plannedSteps,
                                  frequency, result_->stationCount, eta);
  std::fprintf(options_.progress, "\r%-*s", progressWidth_ > width ? progressWidth_ : width, line);
  std::fflush(options_.progress);
  if (width > progressWidth_) progressWidth_ = width;
}

void Scanner::ClearProgress() {
  if (!options_.progress || progressWidth_ == 0) return;
  std::fprintf(options_.progress, "\r%*s\r", progressWidth_, "");
  std::fflush(options_.progress);
}

void Scanner::Scan() {
  const bool merging = plan_.stepKhz < band_.mergeBelowKhz;
  const double started = MonotonicSeconds();
  Run run = {0, 0};
  for (int step = 0; step < result_->plannedSteps && !Stopped(); ++step) {
    const int khz = plan_.fromKhz + step * plan_.stepKhz;
    ShowProgress(step, khz, started);
    const bool hit = Detect(khz);
    result_->steps = step + 1;
    if (!merging) {
      if (hit) AddStation(khz);
    } else if (hit && run.length == 0) {
      run = {khz, 1};
      if (step == 0) FollowBelow(run);
    } else if (hit) {
      ++run.length;
    } else if (run.length > 0) {
      EndRun(run);
    }
  }
  result_->complete = result_->steps == result_->plannedSteps;
  if (run.length > 0) {
    if (result_->complete) FollowAbove(run);
    EndRun(run);
  }
  ClearProgress();
  result_->seconds = MonotonicSeconds() - started;
}

}  // namespace

bool TuneAndDetect(const TcxEntryPoints& library, const Band& band, int khz) {
  library.SetChannelRadio(band.flag, RawFrequency(band, khz));
  return library.GetChannelDetectState(band.flag) != 0;
}

ScanPlan DefaultScanPlan(const Band& band) {
  return {&band, band.scanFromKhz, band.scanToKhz, band.scanStepKhz};
}

int PlannedSteps(const ScanPlan& plan) { return (plan.toKhz - plan.fromKhz) / plan.stepKhz + 1; }

void RunBandScan(const TcxEntryPoints& library, const ScanPlan& plan, const ScanOptions& options, ScanResult* result) {
  result->stationCount = 0;
  result->steps = 0;
  result->plannedSteps = PlannedSteps(plan);
  result->complete = false;
  result->seconds = 0;
  Scanner(library, plan, options, result).Scan();
}
