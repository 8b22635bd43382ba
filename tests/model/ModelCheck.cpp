// Model-based random testing: random sequences of all fifteen library calls, with 32-bit
// extremes for every argument and the simulated PC changing between calls, run side by side
// with the reference model. After every call the result, the device library calls, the waits,
// the direct port accesses, every frame the tuner received and the output buffer must be what
// the model predicts; only the library's five ports may be touched, no transfer may change
// bits 3-7 of the data register, and every transfer must reach the tuner as a whole frame.
//
//   model_check [--sequences N] [--length L] [--first-seed S]
//
// Sequence k uses seed S + k; a failure prints the seed and the command that repeats it.
// TARVEN_MODEL_SEQUENCES, TARVEN_MODEL_LENGTH and TARVEN_MODEL_FIRST_SEED set the defaults.
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "CallTrace.h"
#include "LibraryState.h"
#include "ReferenceModel.h"
#include "Simulator.h"
#include "TcxEntryPoints.h"

namespace {

using model::Call;
using model::Function;

const std::int32_t kExtremes[] = {
    0,     1,     -1,    2,     3,     4,     15,    16,     255,    256,     0x1FF,   INT32_MIN,
    INT32_MAX, INT32_MIN + 1, INT32_MAX - 1, 9350, 9349, 9351, 9352, 9890, 810, 809, 811,
    -824,  -825,  65000, -1080, -10800, 0x10000, -256};

// Channel counts at and beside the detection windows' edges.
const int kCounts[] = {43150, 43151, 43200, 43299, 43300, 3590, 3591, 3600, 3609, 3610, 0, 0xFFFFF};

const char* const kModels[] = {"QX7A", "QX7C", "QX7G", "QX7H", "QX8C", "qx7c", "QX7@"};

class Generator {
 public:
  explicit Generator(std::uint64_t seed) : rng_(seed) {}
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool Chance(int percent) { return Below(100) < percent; }
  std::int32_t Any() { return static_cast<std::int32_t>(rng_()); }
  std::int32_t Argument() {
    return Chance(75) ? kExtremes[Below(sizeof kExtremes / sizeof kExtremes[0])] : Any();
  }
  // On or beside one of the default stations, where detection can succeed.
  std::int32_t StationFrequency() {
    static const std::int32_t kCentres[] = {9350, 9890, 810};
    return kCentres[Below(3)] + Below(5) - 2;
  }
  std::int32_t BandArgument() { return Chance(45) ? 0 : Chance(45) ? 1 : Argument(); }

 private:
  std::mt19937 rng_;
};

Call RandomCall(Generator& g) {
  Call call;
  // Opening is made likelier than closing so that long stretches run with the radio open.
  static const int kWeights[model::kFunctionCount] = {
      // OpenTARVEN, CloseTARVEN, IsOpenTARVEN, GetFwVersion, GetDevStatus, TiltUp, TiltDown,
      6, 1, 2, 2, 2, 2, 2,
      // SetMonitorBrightness, GetMonitorBrightness, OpenRadio, CloseRadio, IsOpenRadio,
      2, 2, 6, 1, 2,
      // SetChannelRadio, GetChannelDetectState, GetFMStereoState
      12, 8, 6};
  int total = 0;
  for (int w : kWeights) total += w;
  int pick = g.Below(total), f = 0;
  while (pick >= kWeights[f]) pick -= kWeights[f++];
  call.function = static_cast<Function>(f);
  switch (call.function) {
    case Function::SetChannelRadio:
      call.a = g.BandArgument();
      call.b = g.Chance(40) ? g.StationFrequency() : g.Argument();
      break;
    case Function::GetChannelDetectState: call.a = g.BandArgument(); break;
    case Function::GetFwVersion:
    case Function::GetDevStatus: call.nullBuffer = g.Chance(10); break;
    default:
      call.a = g.Argument();
      call.b = g.Argument();
  }
  return call;
}

std::string Describe(const Call& call) {
  char text[96];
  std::snprintf(text, sizeof text, "%s(a=%d, b=%d%s)", model::Name(call.function), call.a, call.b,
                call.nullBuffer ? ", null buffer" : "");
  return text;
}

// A change of the simulated PC between calls: port access, the unit, the tuner and the air.
std::string ChangeSurroundings(Generator& g, sim::SimulatedPc& pc) {
  switch (g.Below(10)) {
    case 0: pc.portAccessGranted = !pc.portAccessGranted; return pc.portAccessGranted ? "port access granted" : "port access denied";
    case 1: pc.monitor.present = !pc.monitor.present; return pc.monitor.present ? "unit present" : "unit absent";
    case 2: pc.monitor.modelId = kModels[g.Below(sizeof kModels / sizeof kModels[0])]; return "model " + std::string(pc.monitor.modelId);
    case 3: pc.monitor.failGetDevInfo = g.Chance(50); pc.monitor.failGetDevStatus = g.Chance(30); return "device reads fail or not";
    case 4:
      pc.monitor.statusWord = static_cast<std::uint32_t>(g.Any());
      pc.monitor.flags = static_cast<std::uint8_t>(g.Any());
      pc.monitor.dayLevel = g.Below(16);
      pc.monitor.nightLevel = g.Below(16);
      pc.monitor.fwMajor = static_cast<std::uint8_t>(g.Any());
      pc.monitor.fwSecond = static_cast<std::uint8_t>(g.Below(16));
      pc.monitor.fwThird = static_cast<std::uint8_t>(g.Below(16));
      return "unit status, levels and firmware";
    case 5: {
      pc.tuner.stations.clear();
      const int count = g.Below(4);
      for (int i = 0; i < count; ++i) {
        const bool fm = g.Chance(60);
        const int centre = fm ? (g.Chance(50) ? 9350 : 9890) : 810;
        pc.tuner.stations.push_back({fm ? sim::kFmBand : sim::kAmBand, centre + g.Below(7) - 3, g.Chance(50)});
      }
      return "stations on the air: " + std::to_string(count);
    }
    case 6: pc.tuner.slowCounter = !pc.tuner.slowCounter; return pc.tuner.slowCounter ? "slow counter" : "fast counter";
    case 7: {
      static const sim::Tuner::Presence kPresence[] = {sim::Tuner::Presence::Present, sim::Tuner::Presence::Present,
                                                       sim::Tuner::Presence::AbsentHigh, sim::Tuner::Presence::AbsentLow};
      pc.tuner.presence = kPresence[g.Below(4)];
      return "tuner presence " + std::to_string(static_cast<int>(pc.tuner.presence));
    }
    default: {
      // Status frames answered as scripted: counts at the windows' edges, either indicator.
      const int frames = 1 + g.Below(8);
      for (int i = 0; i < frames; ++i) {
        const int count = g.Chance(80) ? kCounts[g.Below(sizeof kCounts / sizeof kCounts[0])] : g.Below(0x100000);
        const auto junk = static_cast<std::uint8_t>(g.Any());
        pc.tunerLog.scriptedStatus.push_back({static_cast<std::uint8_t>((junk & ~0x04) | (g.Chance(50) ? 0x04 : 0)),
                                           static_cast<std::uint8_t>(count >> 12), static_cast<std::uint8_t>(count >> 4),
                                           static_cast<std::uint8_t>((count & 0x0F) << 4 | (junk & 0x0F)), junk, junk});
      }
      return "scripted status frames: " + std::to_string(frames);
    }
  }
}

model::Surroundings Observe(const sim::SimulatedPc& pc) {
  model::Surroundings s;
  s.portAccessGranted = pc.portAccessGranted;
  s.unitPresent = pc.monitor.present;
  s.modelId = pc.monitor.modelId;
  s.devInfoFails = pc.monitor.failGetDevInfo;
  s.devStatusFails = pc.monitor.failGetDevStatus;
  s.fwMajor = pc.monitor.fwMajor;
  s.fwSecond = pc.monitor.fwSecond;
  s.fwThird = pc.monitor.fwThird;
  s.statusWord = pc.monitor.statusWord;
  s.flags = pc.monitor.flags;
  s.dayLevel = pc.monitor.dayLevel;
  s.nightLevel = pc.monitor.nightLevel;
  return s;
}

int Invoke(const Call& call, unsigned char* buffer) {
  if (call.function == Function::Unload) {
    ReleaseAtUnload();
    return 0;
  }
  static const TcxEntryPoints library = TcxLinkedEntryPoints();
  const int numbers[2] = {call.a, call.b};
  return TcxCall(library, static_cast<TcxFunction>(call.function), numbers,
                 call.nullBuffer ? nullptr : buffer);
}

// The tuner's own record of the transfers it took part in, in CallTrace's words.
void TunerSaw(const sim::TunerLog& tuner, std::size_t from, std::vector<std::string>& steps,
              std::vector<model::StatusFrame>& answered) {
  for (std::size_t i = from; i < tuner.transfers.size(); ++i) {
    const sim::TunerTransfer& t = tuner.transfers[i];
    char text[40];
    if (t.address == sim::Tuner::kStatusAddress) {
      std::snprintf(text, sizeof text, "status %02X", t.address);
      model::StatusFrame frame{};
      for (std::size_t b = 0; b < frame.size() && b < t.bytes.size(); ++b) frame[b] = t.bytes[b];
      answered.push_back(frame);
    } else {
      std::snprintf(text, sizeof text, "frame %02X %02X %02X %02X %02X", t.address, t.bytes[0], t.bytes[1], t.bytes[2],
                    t.bytes[3]);
    }
    steps.push_back(text);
  }
}

std::vector<std::string> BusSteps(const std::vector<std::string>& steps) {
  std::vector<std::string> bus;
  for (const std::string& s : steps)
    if (s.rfind("frame ", 0) == 0 || s.rfind("status ", 0) == 0) bus.push_back(s);
  return bus;
}

void PrintSteps(const char* title, const std::vector<std::string>& steps) {
  std::fprintf(stderr, "  %s (%zu):\n", title, steps.size());
  for (const std::string& s : steps) std::fprintf(stderr, "    %s\n", s.c_str());
}

// What the run reached, printed at the end so a run that exercised little shows it.
struct Coverage {
  long long calls = 0, successes = 0, frames = 0, statusReads = 0, detections = 0, stereo = 0;
} coverage;

struct Failure {
  std::vector<std::string> lines;
  std::vector<std::string> expectedSteps, actualSteps;
  void Add(const std::string& line) { lines.push_back(line); }
};

// One call side by side with the model; returns what disagreed.
Failure CheckOneCall(const Call& call, model::ReferenceModel& reference, sim::SimulatedPc& pc, Generator& g) {
  Failure failure;
  const model::Surroundings around = Observe(pc);
  const bool tunerPresent = pc.tuner.presence == sim::Tuner::Presence::Present;
  std::array<std::uint8_t, 3> before = {static_cast<std::uint8_t>(g.Any()), static_cast<std::uint8_t>(g.Any()),
                                        static_cast<std::uint8_t>(g.Any())};
  unsigned char buffer[3] = {before[0], before[1], before[2]};
  pc.trace.Clear();
  const std::size_t transfersBefore = pc.tunerLog.transfers.size();

  const int result = Invoke(call, buffer);

  const model::CallTrace seen = model::ReadCallTrace(pc.trace.events);
  const model::Expected expected = reference.Apply(call, around, seen, before);
  ++coverage.calls;
  coverage.successes += result != 0;
  for (const std::string& s : seen.steps) {
    coverage.frames += s.rfind("frame ", 0) == 0;
    coverage.statusReads += s.rfind("status ", 0) == 0;
  }
  coverage.detections += call.function == Function::GetChannelDetectState && result == 1;
  coverage.stereo += call.function == Function::GetFMStereoState && result == 1;
  for (const std::string& v : seen.violations) failure.Add("bus: " + v);
  for (const std::string& f : pc.faults) failure.Add("simulated PC fault: " + f);
  if (result != expected.result)
    failure.Add("result " + std::to_string(result) + ", model expects " + std::to_string(expected.result));
  if (seen.steps != expected.steps) {
    failure.Add("the call's steps differ from the model's");
    failure.expectedSteps = expected.steps;
    failure.actualSteps = seen.steps;
  }
  const std::array<std::uint8_t, 3> after = {buffer[0], buffer[1], buffer[2]};
  if (after != expected.buffer) failure.Add("output buffer differs from the model's");
  if (tunerPresent) {
    std::vector<std::string> tunerSteps;
    std::vector<model::StatusFrame> tunerAnswered;
    TunerSaw(pc.tunerLog, transfersBefore, tunerSteps, tunerAnswered);
    if (tunerSteps != BusSteps(seen.steps) || tunerAnswered != seen.statusFrames)
      failure.Add("the tuner received other frames than the bus lines carried");
  }
  return failure;
}

bool RunSequence(std::uint64_t seed, int length, const char* program) {
  sim::Reset();
  libraryState = LibraryState{};
  sim::SimulatedPc& pc = sim::Pc();
  model::ReferenceModel reference;
  Generator g(seed);
  std::vector<std::string> history;
  for (int i = 0; i <= length; ++i) {
    if (i < length && g.Chance(8)) history.push_back("  (PC: " + ChangeSurroundings(g, pc) + ")");
    const Call call = i < length ? RandomCall(g) : Call{Function::Unload};
    history.push_back("  " + Describe(call));
    Failure failure = CheckOneCall(call, reference, pc, g);
    if (i == length && (pc.monitor.OpenHandleCount() != 0 || pc.portIoInitialized))
      failure.Add("after unload a device handle or port access is still held");
    if (failure.lines.empty()) continue;
    std::fprintf(stderr, "MODEL MISMATCH: seed %llu, call %d of %d: %s\n", static_cast<unsigned long long>(seed), i + 1,
                 length, Describe(call).c_str());
    for (const std::string& line : failure.lines) std::fprintf(stderr, "  %s\n", line.c_str());
    if (!failure.expectedSteps.empty() || !failure.actualSteps.empty()) {
      PrintSteps("model expects", failure.expectedSteps);
      PrintSteps("library did", failure.actualSteps);
    }
    std::fprintf(stderr, "  last calls:\n");
    for (std::size_t h = history.size() > 12 ? history.size() - 12 : 0; h < history.size(); ++h)
      std::fprintf(stderr, "  %s\n", history[h].c_str());
    std::fprintf(stderr, "  repeat with: %s --first-seed %llu --sequences 1 --length %d\n", program,
                 static_cast<unsigned long long>(seed), length);
    return false;
  }
  return true;
}

long long Setting(int argc, char** argv, const char* option, const char* variable, long long fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], option) == 0) return std::strtoll(argv[i + 1], nullptr, 0);
  if (const char* value = std::getenv(variable)) return std::strtoll(value, nullptr, 0);
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  const long long sequences = Setting(argc, argv, "--sequences", "TARVEN_MODEL_SEQUENCES", 1000);
  const int length = static_cast<int>(Setting(argc, argv, "--length", "TARVEN_MODEL_LENGTH", 500));
  const long long firstSeed = Setting(argc, argv, "--first-seed", "TARVEN_MODEL_FIRST_SEED", 1);
  for (long long k = 0; k < sequences; ++k)
    if (!RunSequence(static_cast<std::uint64_t>(firstSeed + k), length, argv[0])) return 1;
  std::printf("%lld sequences of %d calls (seeds %lld-%lld): library and model agree\n", sequences, length, firstSeed,
              firstSeed + sequences - 1);
  std::printf("%lld calls, %lld with a non-zero result; %lld frames written, %lld status frames read; "
              "%lld stations detected, %lld stereo indications\n",
              coverage.calls, coverage.successes, coverage.frames, coverage.statusReads, coverage.detections,
              coverage.stereo);
  return 0;
}
