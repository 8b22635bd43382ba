// The simulated tuner itself: how its channel count follows the carrier it receives, what it
// refuses to decode, and its settings from the environment.
#include <cstdlib>
#include <string>
#include <vector>

#include "LibraryFixture.h"
#include "Radio.h"
#include "Settings.h"
#include "SharedHardware.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Drives a tuner's lines by hand, one level change per call.
class Wires {
 public:
  explicit Wires(sim::Tuner& tuner) : tuner_(tuner) {}
  sim::TunerLog log;  // what the tuner saw
  void Set(std::uint8_t lines) {
    lines_ = lines;
    const std::string fault = tuner_.DriveLines(lines, log);
    if (!fault.empty()) faults.push_back(fault);
  }
  void Bit(bool bit) {
    Set((lines_ & ~0x06) | (bit ? 0x02 : 0x00));
    Set(lines_ | 0x04);
  }
  void Byte(std::uint8_t byte) {
    for (int i = 0; i < 8; ++i) Bit(byte >> i & 1);
  }
  void Enable(bool high) { Set(high ? lines_ | 0x01 : lines_ & ~0x01); }

  std::vector<std::string> faults;

 private:
  sim::Tuner& tuner_;
  std::uint8_t lines_ = 0;
};

}  // namespace

class TunerModel : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(tcx_OpenTARVEN(), 0);
    ASSERT_EQ(tcx_OpenRadio(), 1);
  }
  int CountAt(int band, int frequency) {
    TuneChannel(band, frequency);
    return ReadChannelCount(band);
  }
};

TEST_F(TunerModel, CountIsTheIntermediateFrequencyOverTheGateMovingWithTheOffset) {
  struct Case {
    int band, frequency, count;
  };
  for (const Case c : {Case{0, 9350, 43200}, Case{0, 9351, 43240}, Case{0, 9349, 43160},
                       Case{0, 9360, 43600},  // edge of the FM passband
                       Case{0, 9361, 0},      // beyond it: nothing counted
                       Case{1, 810, 3600}, Case{1, 811, 3608}, Case{1, 805, 3560}, Case{1, 804, 0}})
    EXPECT_EQ(CountAt(c.band, c.frequency), c.count) << c.band << " " << c.frequency;
}

TEST_F(TunerModel, NearestCarrierWinsAndTheListCanBeReplaced) {
  pc.tuner.stations = {{sim::kFmBand, 10000, false}, {sim::kFmBand, 10004, true}};
  EXPECT_EQ(CountAt(0, 10003), 43160);
  EXPECT_EQ(tcx_GetFMStereoState(), 1) << "10004 is the stereo one";
  EXPECT_EQ(CountAt(0, 9350), 0) << "the default stations are gone";
  pc.tuner.stations.clear();
  EXPECT_EQ(CountAt(1, 810), 0);
}

TEST(TunerDecoding, KeepsTheLastEightAddressBitsAndTakesFourDataBytes) {
  sim::Tuner tuner;
  Wires wires(tuner);
  wires.Set(0x00);
  wires.Set(0x04);  // a stray rising edge before the address
  wires.Byte(0x29);
  wires.Enable(true);
  for (std::uint8_t b : {0x12, 0x34, 0x56, 0x78}) wires.Byte(b);
  wires.Enable(false);
  EXPECT_THAT(wires.faults, IsEmpty());
  EXPECT_THAT(tuner.modeFrame, ElementsAre(0x12, 0x34, 0x56, 0x78));
  ASSERT_EQ(wires.log.transfers.size(), 1u);
  EXPECT_EQ(wires.log.transfers[0].address, 0x29);
}

TEST(TunerDecoding, RejectsShortAddressesUnknownAddressesAndShortFrames) {
  sim::Tuner tuner;
  Wires wires(tuner);
  for (int i = 0; i < 5; ++i) wires.Bit(true);
  wires.Enable(true);
  wires.Enable(false);
  wires.Byte(0x55);
  wires.Enable(true);
  wires.Enable(false);
  wires.Byte(0x28);
  wires.Enable(true);
  wires.Byte(0xBE);
  wires.Byte(0x28);
  wires.Enable(false);
  EXPECT_THAT(wires.faults, ElementsAre("address of 5 bits", "unknown address 85", "frame 40 of 16 bits"));
  EXPECT_EQ(tuner.malformed, 3u);
  EXPECT_THAT(tuner.divisorFrame, ElementsAre(0, 0, 0, 0));
  EXPECT_THAT(wires.log.transfers, IsEmpty());
}

TEST(TunerSettings, ComeFromTheEnvironment) {
  setenv("TARVEN_SIM_TUNER", "absent-low", 1);
  setenv("TARVEN_SIM_STATIONS", "FM:10110:stereo, AM:1000,XX:5,FM:8800", 1);
  setenv("TARVEN_SIM_TUNER_COUNTER", "slow", 1);
  sim::SimulatedPc pc;
  sim::ConfigureFromEnvironment(pc);
  unsetenv("TARVEN_SIM_TUNER");
  unsetenv("TARVEN_SIM_STATIONS");
  unsetenv("TARVEN_SIM_TUNER_COUNTER");
  EXPECT_EQ(pc.tuner.presence, sim::Tuner::Presence::AbsentLow);
  EXPECT_TRUE(pc.tuner.slowCounter);
  ASSERT_EQ(pc.tuner.stations.size(), 3u);
  EXPECT_EQ(pc.tuner.stations[0].band, sim::kFmBand);
  EXPECT_EQ(pc.tuner.stations[0].frequency, 10110);
  EXPECT_TRUE(pc.tuner.stations[0].stereo);
  EXPECT_EQ(pc.tuner.stations[1].band, sim::kAmBand);
  EXPECT_EQ(pc.tuner.stations[1].frequency, 1000);
  EXPECT_FALSE(pc.tuner.stations[2].stereo);
}

// Two simulated PCs on one block of shared hardware, each writing the data port in its own
// calls: the tuner decodes their line changes in the order they were made.
TEST(SharedHardware, OneTunerDecodesTheLinesOfBothPcsInOrder) {
  // The data port's levels, write by write, of a frame to address with four data bytes.
  auto frame = [](std::uint8_t address, std::vector<std::uint8_t> bytes) {
    std::vector<std::uint8_t> levels;
    auto bit = [&](bool b, std::uint8_t enable) {
      levels.push_back(static_cast<std::uint8_t>(enable | (b ? 0x02 : 0)));
      levels.push_back(static_cast<std::uint8_t>(enable | (b ? 0x06 : 0x04)));
    };
    bytes.insert(bytes.begin(), address);  // sent with enable low, the data bytes with it high
    for (std::size_t i = 0; i < 8 * bytes.size(); ++i) {
      if (i == 8) levels.push_back(0x05);
      bit(bytes[i / 8] >> i % 8 & 1, i < 8 ? 0 : 1);
    }
    levels.push_back(0x04);
    return levels;
  };
  auto write = [](sim::SimulatedPc& pc, std::uint8_t lines) {
    const bool loaded = pc.BeginCall();
    pc.WritePort(0x378, lines);
    pc.EndCall(loaded);
  };
  for (const bool interleaved : {false, true}) {
    sim::SimulatedPc first, second;
    first.tuner.stations.clear();
    second.monitor.tilt = 9;
    sim::SharedHardware block;
    sim::ShareHardware(first, block, nullptr, true);
    sim::ShareHardware(second, block, nullptr, false);
    EXPECT_TRUE(second.tuner.stations.empty()) << "the first PC's settings make the block";
    EXPECT_EQ(second.monitor.tilt, 5);
    first.portIoInitialized = second.portIoInitialized = true;
    const auto divisor = frame(0x28, {0xBE, 0x28, 0x8E, 0x70});
    const auto mode = frame(0x29, {0xC3, 0x80, 0xC9, 0x01});
    // Interleaved: the second PC starts its frame when the first is in its address, and then
    // each writes in turn.
    const std::size_t start = interleaved ? 5 : divisor.size();
    std::size_t d = 0, m = 0;
    while (d < divisor.size() || m < mode.size()) {
      if (d < divisor.size() && (d < start || m >= mode.size() || d - start <= m))
        write(first, divisor[d++]);
      else
        write(second, mode[m++]);
    }
    EXPECT_EQ(block.tuner.malformed > 0, interleaved) << block.tuner.malformed;
    if (!interleaved) {
      EXPECT_THAT(block.tuner.divisorFrame, ElementsAre(0xBE, 0x28, 0x8E, 0x70));
      EXPECT_THAT(block.tuner.modeFrame, ElementsAre(0xC3, 0x80, 0xC9, 0x01));
    }
  }
}
