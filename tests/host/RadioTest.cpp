// The radio functions against the simulated tuner: the frames each call leaves in the tuner,
// station detection and its retry, the stereo indicator, and opening and closing the radio.
#include <climits>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "LibraryFixture.h"
#include "Radio.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {


// What the tuner saw, in order: "28: BE 28 8E 70 @0" for a written frame, "2A @40" for a
// status read, each with the tuner's clock in milliseconds.
std::vector<std::string> Story(const sim::TunerLog& tuner) {
  std::vector<std::string> story;
  for (const sim::TunerTransfer& t : tuner.transfers) {
    char line[40];
    if (t.address == sim::Tuner::kStatusAddress)
      std::snprintf(line, sizeof line, "2A @%llu", static_cast<unsigned long long>(t.atMs));
    else
      std::snprintf(line, sizeof line, "%02X: %02X %02X %02X %02X @%llu", t.address, t.bytes[0],
                    t.bytes[1], t.bytes[2], t.bytes[3], static_cast<unsigned long long>(t.atMs));
    story.emplace_back(line);
  }
  return story;
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A status frame carrying count, with the indicator bit set or clear.
sim::StatusBytes CountFrame(int count, bool indicator = false) {
  return {std::uint8_t(indicator ? 0x04 : 0x00), std::uint8_t(count >> 12), std::uint8_t(count >> 4),
          std::uint8_t((count & 0x0F) << 4), 0, 0};
}

}  // namespace

// Port I/O ready, the radio open, the trace and the tuner's history empty.
class RadioTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(tcx_OpenTARVEN(), 0);
    ASSERT_EQ(tcx_OpenRadio(), 1);
    Forget();
  }
  void Forget() {
    pc.trace.Clear();
    pc.tunerLog.transfers.clear();
    pc.tunerLog.clockMs = 0;
  }
  int StatusReads() const {
    int reads = 0;
    for (const auto& t : pc.tunerLog.transfers) reads += t.address == sim::Tuner::kStatusAddress;
    return reads;
  }
  std::vector<std::uint64_t> Waits() const {
    std::vector<std::uint64_t> waits;
    for (const sim::Event& e : pc.trace.events)
      if (e.kind == sim::Event::Call && std::string(e.call) == "Sleep") waits.push_back(e.args[0]);
    return waits;
  }
};

using ClosedRadio = LibraryTest;

TEST_F(ClosedRadio, TuningDetectionAndStereoReturnZeroAndTouchNoPort) {
  auto refusesEverything = [&](const char* when) {
    pc.trace.Clear();
    EXPECT_EQ(tcx_IsOpenRadio(), 0) << when;
    EXPECT_EQ(tcx_SetChannelRadio(0, 9350), 0) << when;
    EXPECT_EQ(tcx_GetChannelDetectState(0), 0) << when;
    EXPECT_EQ(tcx_GetFMStereoState(), 0) << when;
    EXPECT_THAT(pc.trace.events, IsEmpty()) << when;
    EXPECT_EQ(libraryState.lastDivisorLow, 0) << when;
  };
  refusesEverything("before any open");
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  refusesEverything("port I/O ready, radio not opened");
  ASSERT_EQ(tcx_OpenRadio(), 1);
  ASSERT_EQ(tcx_CloseRadio(), 1);
  refusesEverything("after tcx_CloseRadio");
  ASSERT_EQ(tcx_OpenRadio(), 1);
  tcx_CloseTARVEN();
  refusesEverything("after tcx_CloseTARVEN");
}

TEST_F(ClosedRadio, WithoutPortIoOpenAndCloseReturnZeroAndChangeNothing) {
  pc.portAccessGranted = false;
  ASSERT_EQ(tcx_OpenTARVEN(), 1);
  pc.trace.Clear();
  EXPECT_EQ(tcx_OpenRadio(), 0);
  EXPECT_EQ(tcx_IsOpenRadio(), 0);
  libraryState.radioOpen = 1;
  EXPECT_EQ(tcx_CloseRadio(), 0);
  EXPECT_EQ(libraryState.radioOpen, 1) << "left unchanged";
  EXPECT_THAT(pc.trace.events, IsEmpty());
}

using OpenAndClose = LibraryTest;

TEST_F(OpenAndClose, OpenRepeatsTheConfigurationAndSetsTheOpenPattern) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  pc.trace.Clear();
  EXPECT_EQ(tcx_OpenRadio(), 1);
  EXPECT_EQ(tcx_IsOpenRadio(), 1);
  std::vector<PortWrite> expected = kSuperIoSequence;
  expected.insert(expected.end(), {{0x378, 0x90}, {0x379, 0x7F}, {0x37A, 0x01}, {0x378, 0x90}});
  EXPECT_EQ(pc.trace.PortWrites(), expected);
  ASSERT_EQ(pc.trace.Count(sim::Event::PortRead), 1u);
  const sim::Event& read = pc.trace.events[11];
  EXPECT_EQ(read.kind, sim::Event::PortRead);
  EXPECT_EQ(read.port, 0x379);
  EXPECT_EQ(read.value, 0x7B) << "the status read of 0x7B is written back as 0x7F";

  pc.trace.Clear();
  EXPECT_EQ(tcx_OpenRadio(), 1) << "opening an open radio runs it all again";
  EXPECT_EQ(pc.trace.PortWrites(), expected);
}

TEST_F(OpenAndClose, StatusIsWrittenBackAsReadWithBitTwoSet) {
  struct Case {
    std::uint8_t status;
    sim::Tuner::Presence tuner;
    std::uint8_t read, written;
  };
  using P = sim::Tuner::Presence;
  for (const Case c : {Case{0x7B, P::Present, 0x7B, 0x7F}, Case{0x7B, P::AbsentLow, 0x3B, 0x3F},
                       Case{0x80, P::Present, 0xC0, 0xC4}, Case{0x07, P::AbsentHigh, 0x47, 0x47}}) {
    SetUp();
    pc.parallelPort.status = c.status;
    pc.tuner.presence = c.tuner;
    ASSERT_EQ(tcx_OpenTARVEN(), 0);
    ASSERT_EQ(tcx_OpenRadio(), 1);
    std::vector<std::uint8_t> statusReads;
    for (const sim::Event& e : pc.trace.events)
      if (e.kind == sim::Event::PortRead && e.port == 0x379) statusReads.push_back(e.value);
    EXPECT_THAT(statusReads, ElementsAre(c.read));
    EXPECT_THAT(pc.trace.WritesTo(0x379), ElementsAre(c.written));
  }
}

TEST_F(OpenAndClose, CloseWritesTheClosedPatternAndReturnsItsWritesResult) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  ASSERT_EQ(tcx_OpenRadio(), 1);
  pc.trace.Clear();
  EXPECT_EQ(tcx_CloseRadio(), 1);
  EXPECT_EQ(tcx_IsOpenRadio(), 0);
  EXPECT_EQ(tcx_CloseRadio(), 1) << "closing a closed radio writes again";
  EXPECT_THAT(pc.trace.PortWrites(), ElementsAre(PortWrite{0x378, 0x98}, PortWrite{0x378, 0x98}));
  EXPECT_EQ(pc.trace.Count(sim::Event::PortRead), 0u);

  // Port access lost under the library: IO.dll reports the write failed.
  ASSERT_EQ(tcx_OpenRadio(), 1);
  pc.portIoInitialized = false;
  EXPECT_EQ(tcx_CloseRadio(), 0);
  EXPECT_EQ(tcx_IsOpenRadio(), 0);
  EXPECT_THAT(pc.faults, ElementsAre("port write without port access"));
  pc.faults.clear();
}

TEST_F(OpenAndClose, RadioWorksWithoutTheMonitorUnit) {
  pc.monitor.present = false;
  ASSERT_EQ(tcx_OpenTARVEN(), 2);
  EXPECT_EQ(tcx_OpenRadio(), 1);
  EXPECT_EQ(tcx_SetChannelRadio(0, 9350), 1);
  EXPECT_EQ(tcx_GetChannelDetectState(0), 1);
  EXPECT_EQ(tcx_GetFMStereoState(), 1);
}

using Tuning = RadioTest;

TEST_F(Tuning, Fm9350SendsDivisor0x28BEThenTheFmTuningMode) {
  EXPECT_EQ(tcx_SetChannelRadio(0, 9350), 1);
  EXPECT_THAT(Story(pc.tunerLog), ElementsAre("28: BE 28 8E 70 @0", "29: C3 80 C9 01 @0"));
  EXPECT_EQ(libraryState.lastDivisorLow, 0xBE);
  EXPECT_EQ(libraryState.lastDivisorHigh, 0x28);
  EXPECT_THAT(Waits(), IsEmpty());
}

TEST_F(Tuning, Am810SendsDivisor0x2D5AThenTheAmTuningMode) {
  EXPECT_EQ(tcx_SetChannelRadio(1, 810), 1);
  EXPECT_THAT(Story(pc.tunerLog), ElementsAre("28: 5A 2D BD 52 @0", "29: C3 82 CA 03 @0"));
  EXPECT_THAT(pc.tuner.divisorFrame, ElementsAre(0x5A, 0x2D, 0xBD, 0x52));
  EXPECT_THAT(pc.tuner.modeFrame, ElementsAre(0xC3, 0x82, 0xCA, 0x03));
}

TEST_F(Tuning, EveryNonZeroBandIsAm) {
  for (int band : {5, -1, 2, 0x100, INT_MIN, INT_MAX}) {
    Forget();
    EXPECT_EQ(tcx_SetChannelRadio(band, 810), 1);
    EXPECT_THAT(Story(pc.tunerLog), ElementsAre("28: 5A 2D BD 52 @0", "29: C3 82 CA 03 @0")) << band;
  }
}

TEST_F(Tuning, DivisorBytesAtTheEdges) {
  struct Case {
    int band, frequency;
    std::uint8_t low, high;
  };
  for (const Case c : {
           Case{0, 9890, 0xDA, 0x2A},      // 10970
           Case{0, 65000, 0x20, 0x02},     // 66080: bits 16 and up dropped
           Case{0, -823, 0x01, 0x01},      // 257
           Case{0, -824, 0x00, 0x00},      // 256: high byte 0, not 1
           Case{0, -825, 0xFF, 0x00},      // 255
           Case{0, -5000, 0xB0, 0x00},     // -3920: high byte 0
           Case{0, INT_MAX, 0x37, 0x00},   // the sum wraps to a negative value
           Case{1, -10544, 0x00, 0x00},    // AM 256
           Case{1, INT_MIN, 0x30, 0x00},
       }) {
    Forget();
    EXPECT_EQ(tcx_SetChannelRadio(c.band, c.frequency), 1);
    EXPECT_EQ(libraryState.lastDivisorLow, c.low) << c.frequency;
    EXPECT_EQ(libraryState.lastDivisorHigh, c.high) << c.frequency;
    EXPECT_EQ(pc.tuner.divisorFrame[0], c.low) << c.frequency;
    EXPECT_EQ(pc.tuner.divisorFrame[1], c.high) << c.frequency;
  }
}

using Detection = RadioTest;

TEST_F(Detection, FindsTheStationsOnTheAirAndNothingBetweenThem) {
  struct Case {
    int band, frequency;
    unsigned char detected;
  };
  for (const Case c : {Case{0, 9350, 1}, Case{0, 9890, 1}, Case{1, 810, 1}, Case{0, 9500, 0},
                       Case{1, 999, 0}, Case{0, 810, 0}, Case{1, 9350, 0}}) {
    ASSERT_EQ(tcx_SetChannelRadio(c.band, c.frequency), 1);
    EXPECT_EQ(tcx_GetChannelDetectState(c.band), c.detected) << c.band << " " << c.frequency;
  }
}

TEST_F(Detection, WindowEdgesOnBothBands) {
  struct Case {
    int band, count;
    unsigned char detected;
  };
  for (const Case c : {Case{0, 43151, 1}, Case{0, 43299, 1}, Case{0, 43150, 0}, Case{0, 43300, 0},
                       Case{1, 3591, 1}, Case{1, 3609, 1}, Case{1, 3590, 0}, Case{1, 3610, 0},
                       Case{0, 3600, 0}, Case{1, 43200, 0}}) {
    pc.tunerLog.scriptedStatus.assign(4, CountFrame(c.count));
    EXPECT_EQ(tcx_GetChannelDetectState(c.band), c.detected) << c.band << " " << c.count;
    EXPECT_THAT(pc.tunerLog.scriptedStatus, IsEmpty()) << "four status reads";
  }
}

TEST_F(Detection, ThreeHitsOfFourAreAStationTwoAreNot) {
  const sim::StatusBytes hit = CountFrame(43200), miss = CountFrame(0xFFFFF);
  struct Case {
    std::vector<sim::StatusBytes> samples;
    unsigned char detected;
  };
  for (const Case& c : {Case{{hit, hit, hit, miss}, 1}, Case{{miss, hit, hit, hit}, 1},
                        Case{{hit, miss, hit, miss}, 0}, Case{{miss, miss, hit, hit}, 0},
                        Case{{hit, hit, hit, hit}, 1}, Case{{miss, miss, miss, hit}, 0}}) {
    pc.tunerLog.scriptedStatus.assign(c.samples.begin(), c.samples.end());
    EXPECT_EQ(tcx_GetChannelDetectState(0), c.detected);
  }
}

TEST_F(Detection, EachSampleCountsThenRestoresTheDivisorAndWaits35ms) {
  ASSERT_EQ(tcx_SetChannelRadio(0, 9350), 1);  // a stereo station: no retry
  Forget();
  EXPECT_EQ(tcx_GetChannelDetectState(0), 1);
  std::vector<std::string> expected;
  for (int t = 0; t < 140; t += 35)
    for (const char* step : {"29: C3 C1 C9 01 @", "2A @", "28: BE 28 8E 70 @"})
      expected.push_back(step + std::to_string(t));
  EXPECT_THAT(Story(pc.tunerLog), ElementsAreArray(expected));
  EXPECT_THAT(Waits(), ElementsAre(35, 35, 35, 35));
  EXPECT_EQ(pc.trace.events.back().kind, sim::Event::Call) << "the fourth wait ends the call";
}

TEST_F(Detection, IndicatorSetRetriesWithTheNormalThenTheRetryDivisorAndWaits40ms) {
  ASSERT_EQ(tcx_SetChannelRadio(0, 9350), 1);
  pc.tuner.slowCounter = true;  // the first read of each count is not settled
  Forget();
  EXPECT_EQ(tcx_GetChannelDetectState(0), 1) << "counted from the settled second reads";
  std::vector<std::vector<std::string>> samples;
  for (int t = 0; t < 300; t += 75) {
    const std::string at = "@" + std::to_string(t), later = "@" + std::to_string(t + 40);
    samples.push_back({"29: C3 C1 C9 01 " + at, "2A " + at, "28: BE 28 8E 70 " + at,
                       "28: BE 28 8E 7A " + at, "2A " + later, "28: BE 28 8E 70 " + later});
  }
  EXPECT_THAT(Story(pc.tunerLog), ElementsAreArray(Concat({samples[0], samples[1], samples[2], samples[3]})));
  EXPECT_THAT(Waits(), ElementsAre(40, 35, 40, 35, 40, 35, 40, 35));
}

TEST_F(Detection, CountComesFromTheSecondReadAndThereIsOnlyOneRetry) {
  const sim::StatusBytes hitAskingRetry = CountFrame(43200, true), miss = CountFrame(100);
  pc.tunerLog.scriptedStatus.clear();
  for (int i = 0; i < 4; ++i) pc.tunerLog.scriptedStatus.insert(pc.tunerLog.scriptedStatus.end(), {hitAskingRetry, miss});
  EXPECT_EQ(tcx_GetChannelDetectState(0), 0) << "the first read's count is discarded";

  Forget();
  const sim::StatusBytes missAskingRetry = CountFrame(100, true), hitAskingAgain = CountFrame(43200, true);
  pc.tunerLog.scriptedStatus.clear();
  for (int i = 0; i < 4; ++i)
    pc.tunerLog.scriptedStatus.insert(pc.tunerLog.scriptedStatus.end(), {missAskingRetry, hitAskingAgain});
  EXPECT_EQ(tcx_GetChannelDetectState(0), 1);
  EXPECT_EQ(StatusReads(), 8) << "the second read's indicator bit is not looked at";
}

TEST_F(Detection, BeforeAnyTuningSendsDivisorZero) {
  EXPECT_EQ(tcx_GetChannelDetectState(0), 0);
  EXPECT_EQ(Story(pc.tunerLog)[2], "28: 00 00 8E 70 @0");
  EXPECT_THAT(pc.tuner.divisorFrame, ElementsAre(0x00, 0x00, 0x8E, 0x70));
}

TEST_F(Detection, OnTheOtherBandSendsTheStoredDivisorWithThatBandsBytes) {
  ASSERT_EQ(tcx_SetChannelRadio(0, 9350), 1);
  Forget();
  EXPECT_EQ(tcx_GetChannelDetectState(1), 0) << "AM divisor 10430 is no AM station";
  const auto story = Story(pc.tunerLog);
  ASSERT_EQ(story.size(), 24u);
  EXPECT_THAT(std::vector<std::string>(story.begin(), story.begin() + 6),
              ElementsAre("29: C3 83 CA 03 @0", "2A @0", "28: BE 28 BD 52 @0", "28: BE 28 BD 5A @0",
                          "2A @40", "28: BE 28 BD 52 @40"));
  EXPECT_THAT(pc.tuner.divisorFrame, ElementsAre(0xBE, 0x28, 0xBD, 0x52));
  EXPECT_THAT(pc.tuner.modeFrame, ElementsAre(0xC3, 0x83, 0xCA, 0x03));
  EXPECT_EQ(libraryState.lastDivisorLow, 0xBE) << "the stored divisor is kept";
}

TEST_F(Detection, LeavesTheTunerWithTheNormalDivisorAndTheCountingMode) {
  ASSERT_EQ(tcx_SetChannelRadio(0, 9890), 1);
  pc.tuner.slowCounter = true;
  ASSERT_EQ(tcx_GetChannelDetectState(0), 1);
  EXPECT_THAT(pc.tuner.divisorFrame, ElementsAre(0xDA, 0x2A, 0x8E, 0x70));
  EXPECT_THAT(pc.tuner.modeFrame, ElementsAre(0xC3, 0xC1, 0xC9, 0x01));
  ASSERT_EQ(tcx_SetChannelRadio(0, 9890), 1);
  EXPECT_THAT(pc.tuner.modeFrame, ElementsAre(0xC3, 0x80, 0xC9, 0x01)) << "tuning switches it back";
}

using Stereo = RadioTest;

TEST_F(Stereo, StereoStationGivesOneMonoAmAndSilenceGiveZero) {
  struct Case {
    int band, frequency;
    unsigned char stereo;
  };
  for (const Case c : {Case{0, 9350, 1}, Case{0, 9890, 0}, Case{1, 810, 0}, Case{0, 9500, 0}}) {
    ASSERT_EQ(tcx_SetChannelRadio(c.band, c.frequency), 1);
    EXPECT_EQ(tcx_GetFMStereoState(), c.stereo) << c.frequency;
  }
}

TEST_F(Stereo, OnlyTheIndicatorBitOfByteZeroCounts) {
  pc.tunerLog.scriptedStatus = {sim::StatusBytes{0x00}, sim::StatusBytes{0x04},
                             sim::StatusBytes{0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                             sim::StatusBytes{0x04, 0, 0, 0, 0, 0x04}};
  EXPECT_EQ(tcx_GetFMStereoState(), 1);
  EXPECT_EQ(tcx_GetFMStereoState(), 0);
  EXPECT_EQ(tcx_GetFMStereoState(), 1);
  EXPECT_EQ(tcx_GetFMStereoState(), 0);
}

TEST_F(Stereo, ReadsTheStatusFrameAloneWithoutWaiting) {
  ASSERT_EQ(tcx_SetChannelRadio(0, 9350), 1);
  Forget();
  EXPECT_EQ(tcx_GetFMStereoState(), 1);
  EXPECT_THAT(Story(pc.tunerLog), ElementsAre("2A @0"));
  EXPECT_EQ(pc.trace.events.size(), 1u + 1u + 124u + 48u);
  EXPECT_THAT(Waits(), IsEmpty());
}

using AbsentTuner = RadioTest;

TEST_F(AbsentTuner, TuningSucceedsBlindDetectionFailsAndStereoFollowsTheIdleLevel) {
  pc.tuner.presence = sim::Tuner::Presence::AbsentHigh;
  EXPECT_EQ(tcx_SetChannelRadio(0, 9350), 1);
  EXPECT_EQ(tcx_GetChannelDetectState(0), 0) << "count 0xFFFFF";
  EXPECT_EQ(tcx_GetFMStereoState(), 0);
  EXPECT_THAT(pc.tunerLog.transfers, IsEmpty());

  pc.tuner.presence = sim::Tuner::Presence::AbsentLow;
  EXPECT_EQ(tcx_SetChannelRadio(1, 810), 1);
  EXPECT_EQ(tcx_GetChannelDetectState(1), 0) << "count 0";
  EXPECT_EQ(tcx_GetFMStereoState(), 1);
}
