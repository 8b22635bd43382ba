// Several threads using the radio at once: each tunes its own stations, reads the stereo
// indicator and detects, all interleaved. Every call runs whole under the library's lock, so
// the tuner must receive only whole frames, each one a frame that some thread's tuning or
// detection could produce.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <thread>
#include <vector>

#include "LibraryState.h"
#include "Simulator.h"
#include "TarvenK3Cmd.h"

namespace {

using Frame = std::array<std::uint8_t, 4>;

struct Tuning {
  int band;
  int frequency;
};

// Each thread's stations: FM 93.50 and 98.90 MHz, AM 810 kHz, and values whose divisors need
// the wrapping and the small-divisor rule.
const std::vector<std::vector<Tuning>> kThreadTunings = {
    {{0, 9350}, {0, 9351}},
    {{0, 9890}, {0, 10000}},
    {{1, 810}, {1, 1602}},
    {{0, -825}, {7, 65000}},
};

// Divisor frames any tuning or detection may leave: the stored divisor of any tuning (or the
// divisor 0 before the first), with either band's normal or retry bytes 3-4.
std::set<Frame> PossibleDivisorFrames() {
  std::set<std::array<std::uint8_t, 2>> divisors = {{0, 0}};
  for (const auto& tunings : kThreadTunings)
    for (const Tuning& t : tunings) {
      const std::int64_t divisor = t.frequency + (t.band == 0 ? 1080 : 10800);
      divisors.insert({static_cast<std::uint8_t>(divisor & 0xFF),
                       static_cast<std::uint8_t>(divisor <= 256 ? 0 : (divisor >> 8) & 0xFF)});
    }
  std::set<Frame> frames;
  for (const auto& d : divisors)
    for (const auto& tail : {std::array<std::uint8_t, 2>{0x8E, 0x70}, {0x8E, 0x7A}, {0xBD, 0x52}, {0xBD, 0x5A}})
      frames.insert({d[0], d[1], tail[0], tail[1]});
  return frames;
}

const std::set<Frame> kModeFrames = {
    {0xC3, 0x80, 0xC9, 0x01}, {0xC3, 0xC1, 0xC9, 0x01}, {0xC3, 0x82, 0xCA, 0x03}, {0xC3, 0x83, 0xCA, 0x03}};

void UseTheRadio(const std::vector<Tuning>& tunings, int iterations) {
  for (int i = 0; i < iterations; ++i) {
    const Tuning& t = tunings[i % tunings.size()];
    tcx_SetChannelRadio(t.band, t.frequency);
    tcx_GetFMStereoState();
    if (i % 4 == 0) tcx_GetChannelDetectState(t.band);
  }
}

TEST(ConcurrentCalls, ThreadsUsingTheRadioAtOnceSendOnlyWholeCorrectFrames) {
  sim::Reset();
  libraryState = LibraryState{};
  sim::SimulatedPc& pc = sim::Pc();
  pc.trace.enabled = false;  // millions of port accesses; the tuner keeps its own record
  pc.tuner.slowCounter = true;  // detections retry: longer calls, more chances to interleave
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  ASSERT_EQ(tcx_OpenRadio(), 1);

  std::vector<std::thread> threads;
  for (const auto& tunings : kThreadTunings) threads.emplace_back(UseTheRadio, tunings, 400);
  for (std::thread& t : threads) t.join();

  EXPECT_THAT(pc.faults, ::testing::IsEmpty());
  const std::set<Frame> divisorFrames = PossibleDivisorFrames();
  int written = 0;
  for (const sim::TunerTransfer& t : pc.tunerLog.transfers) {
    if (t.address == sim::Tuner::kStatusAddress) continue;
    ASSERT_EQ(t.bytes.size(), 4u);
    const Frame frame = {t.bytes[0], t.bytes[1], t.bytes[2], t.bytes[3]};
    ++written;
    if (t.address == sim::Tuner::kDivisorAddress)
      EXPECT_TRUE(divisorFrames.count(frame)) << "divisor frame " << ::testing::PrintToString(frame);
    else
      EXPECT_TRUE(kModeFrames.count(frame)) << "mode frame " << ::testing::PrintToString(frame);
  }
  // Four threads of 400 tunings (2 frames each) and 100 detections (at least 3 per sample).
  EXPECT_GE(written, 4 * (400 * 2 + 100 * 4 * 2));
  tcx_CloseTARVEN();
}

}  // namespace
