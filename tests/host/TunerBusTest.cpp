// The tuner bus on the parallel port: every line change of a transfer as the timing diagram
// draws it, what a transfer leaves alone, and what the simulated tuner makes of it.
#include <array>
#include <initializer_list>
#include <map>
#include <vector>

#include "LibraryFixture.h"
#include "TunerBus.h"

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

constexpr std::uint16_t kControl = 0x37A, kData = 0x378, kStatus = 0x379;

// Data register values of a write transfer with 0x90 in the register, as the timing diagram
// draws them: three writes per bit (clock and data low, data, clock high), enable low for the
// address and high from the enable write after it. Enable writes after a byte repeat its last
// value with enable set; the final write clears enable and data out.
std::vector<std::uint8_t> WriteTransferAt90(std::array<std::uint8_t, 5> bytes) {
  std::vector<std::uint8_t> w = {0x94};
  auto send = [&](std::uint8_t byte, std::uint8_t enable) {
    for (int i = 0; i < 8; ++i) {
      const std::uint8_t data = (byte >> i & 1) ? 0x02 : 0x00;
      w.insert(w.end(), {std::uint8_t(0x90 | enable), std::uint8_t(0x90 | enable | data),
                         std::uint8_t(0x94 | enable | data)});
    }
  };
  send(bytes[0], 0);
  w.push_back(w.back() | 0x01);
  for (int i = 1; i <= 3; ++i) {
    send(bytes[i], 1);
    w.push_back(w.back() | 0x01);
  }
  send(bytes[4], 1);
  w.push_back(0x94);
  return w;
}

using Access = std::pair<sim::Event::Kind, std::uint16_t>;

std::map<Access, int> CountAccesses(const sim::Trace& trace) {
  std::map<Access, int> counts;
  for (const sim::Event& e : trace.events) ++counts[{e.kind, e.port}];
  return counts;
}

sim::StatusBytes Bytes(std::initializer_list<std::uint8_t> six) {
  sim::StatusBytes b{};
  std::copy(six.begin(), six.end(), b.begin());
  return b;
}

}  // namespace

class TunerBusTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(tcx_OpenTARVEN(), 0);
    RegisterHolds(0x90);
    pc.trace.Clear();
  }
  // The data register holds value when the next transfer starts.
  void RegisterHolds(std::uint8_t value) { pc.parallelPort.data = value; }
  std::vector<std::uint8_t> DataWrites() const { return pc.trace.WritesTo(kData); }
  std::array<BYTE, kTunerReadLength> Read(DWORD address) {
    BYTE buffer[kTunerReadLength] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    TunerBusRead(address, buffer);
    std::array<BYTE, kTunerReadLength> out;
    std::copy(std::begin(buffer), std::end(buffer), out.begin());
    return out;
  }
};

using BusWrite = TunerBusTest;

TEST_F(BusWrite, AddressByteGoesOutLeastSignificantBitFirstWithEnableLow) {
  TunerBusWrite(0x28, 0xBE, 0x28, 0x8E, 0x70);
  const std::vector<std::uint8_t> writes = DataWrites();
  ASSERT_GE(writes.size(), 26u);
  EXPECT_THAT(std::vector<std::uint8_t>(writes.begin(), writes.begin() + 26),
              ElementsAre(0x94,                                                  // start
                          0x90, 0x90, 0x94, 0x90, 0x90, 0x94, 0x90, 0x90, 0x94,  // bits 0-2
                          0x90, 0x92, 0x96,                                      // bit 3
                          0x90, 0x90, 0x94,                                      // bit 4
                          0x90, 0x92, 0x96,                                      // bit 5
                          0x90, 0x90, 0x94, 0x90, 0x90, 0x94,                    // bits 6-7
                          0x95));                                                // enable
}

TEST_F(BusWrite, DivisorFrameIsControlThenOneReadThenEveryLineChange) {
  TunerBusWrite(0x28, 0xBE, 0x28, 0x8E, 0x70);
  ASSERT_GE(pc.trace.events.size(), 2u);
  EXPECT_EQ(pc.trace.events[0].kind, sim::Event::PortWrite);
  EXPECT_EQ(pc.trace.events[0].port, kControl);
  EXPECT_EQ(pc.trace.events[0].value, 0x01);
  EXPECT_EQ(pc.trace.events[1].kind, sim::Event::PortRead);
  EXPECT_EQ(pc.trace.events[1].port, kData);
  EXPECT_THAT(DataWrites(), ElementsAreArray(WriteTransferAt90({0x28, 0xBE, 0x28, 0x8E, 0x70})));
  EXPECT_EQ(pc.trace.events.size(), 2u + 126u) << "nothing else, no wait inside the transfer";
}

TEST_F(BusWrite, LastDataByteIsFollowedOnlyByTheEndWrite) {
  TunerBusWrite(0x29, 0xC3, 0x80, 0xC9, 0x01);  // byte 4 bit 7 clear
  std::vector<std::uint8_t> writes = DataWrites();
  EXPECT_THAT(std::vector<std::uint8_t>(writes.end() - 4, writes.end()), ElementsAre(0x91, 0x91, 0x95, 0x94));
  pc.trace.Clear();
  TunerBusWrite(0x29, 0xC3, 0x80, 0xC9, 0x81);  // bit 7 set: data out goes low at the end
  writes = DataWrites();
  EXPECT_THAT(std::vector<std::uint8_t>(writes.end() - 4, writes.end()), ElementsAre(0x91, 0x93, 0x97, 0x94));
}

TEST_F(BusWrite, OnlyTheLowEightBitsOfEachArgumentAreSent) {
  TunerBusWrite(0x28, 0x01, 0xFF, 0xFF, 0x00);
  const auto narrow = DataWrites();
  pc.trace.Clear();
  TunerBusWrite(0x128, 0xFFFFFF01, 0x1FF, 0xFFFFFFFF, 0x300);
  EXPECT_EQ(DataWrites(), narrow);
  EXPECT_THAT(pc.tuner.divisorFrame, ElementsAre(0x01, 0xFF, 0xFF, 0x00));
}

using BusRead = TunerBusTest;

TEST_F(BusRead, StatusReadSendsItsAddressThenClocksFortyEightBitsIn) {
  Read(0x2A);
  std::vector<std::pair<sim::Event::Kind, std::uint16_t>> accesses;
  std::vector<std::uint8_t> values;
  for (const sim::Event& e : pc.trace.events) {
    accesses.emplace_back(e.kind, e.port);
    if (e.kind == sim::Event::PortWrite) values.push_back(e.value);
  }
  std::vector<std::uint8_t> expected = {
      0x01,                                        // control register
      0x96,                                        // start: data out high
      0x92, 0x90, 0x94, 0x90, 0x92, 0x96,          // bits 0 (0), 1 (1): clock low keeps data
      0x92, 0x90, 0x94, 0x90, 0x92, 0x96,          // bits 2, 3
      0x92, 0x90, 0x94, 0x90, 0x92, 0x96,          // bits 4, 5
      0x92, 0x90, 0x94, 0x90, 0x90, 0x94,          // bits 6, 7
      0x94, 0x95};                                 // the repeated clock write, enable
  for (int bit = 0; bit < 48; ++bit) expected.insert(expected.end(), {0x91, 0x95});
  expected.push_back(0x94);
  EXPECT_THAT(values, ElementsAreArray(expected));

  // Each received bit: clock low, clock high, then the status register read.
  ASSERT_EQ(accesses.size(), 1u + 1u + 124u + 48u);
  for (int bit = 0; bit < 48; ++bit) {
    const std::size_t at = 2 + 27 + bit * 3;
    EXPECT_EQ(accesses[at], std::make_pair(sim::Event::PortWrite, kData)) << bit;
    EXPECT_EQ(accesses[at + 1], std::make_pair(sim::Event::PortWrite, kData)) << bit;
    EXPECT_EQ(accesses[at + 2], std::make_pair(sim::Event::PortRead, kStatus)) << bit;
  }
}

TEST_F(BusRead, BytesAreAssembledMostSignificantBitFirst) {
  pc.tunerLog.scriptedStatus = {Bytes({0x80, 0, 0, 0, 0, 0}), Bytes({0x04, 0x0A, 0x8C, 0x3C, 0x5A, 0xA5})};
  EXPECT_THAT(Read(0x2A), ElementsAre(0x80, 0, 0, 0, 0, 0));
  EXPECT_THAT(Read(0x2A), ElementsAre(0x04, 0x0A, 0x8C, 0x3C, 0x5A, 0xA5));
}

TEST_F(BusRead, IdleDataInLineFillsTheBufferWithItsLevel) {
  pc.tuner.presence = sim::Tuner::Presence::AbsentHigh;
  EXPECT_THAT(Read(0x2A), Each(0xFF));
  pc.tuner.presence = sim::Tuner::Presence::AbsentLow;
  EXPECT_THAT(Read(0x2A), Each(0x00));
}

using Transfers = TunerBusTest;

TEST_F(Transfers, PortAccessesPerTransfer) {
  using E = sim::Event;
  TunerBusWrite(0x29, 0xC3, 0xC1, 0xC9, 0x01);
  EXPECT_EQ(CountAccesses(pc.trace),
            (std::map<Access, int>{{{E::PortWrite, kControl}, 1}, {{E::PortRead, kData}, 1},
                                   {{E::PortWrite, kData}, 126}}));
  pc.trace.Clear();
  Read(0x2A);
  EXPECT_EQ(CountAccesses(pc.trace),
            (std::map<Access, int>{{{E::PortWrite, kControl}, 1}, {{E::PortRead, kData}, 1},
                                   {{E::PortWrite, kData}, 124}, {{E::PortRead, kStatus}, 48}}));
}

TEST_F(Transfers, BitsThreeToSevenOfTheDataRegisterAreNeverChanged) {
  for (std::uint8_t held : {0x90, 0x98, 0x00, 0xF8, 0x6D, 0x97, 0xFF}) {
    RegisterHolds(held);
    pc.trace.Clear();
    TunerBusWrite(0x28, 0xA5, 0x5A, 0xFF, 0x80);
    Read(0x2A);
    const auto writes = DataWrites();
    ASSERT_EQ(writes.size(), 126u + 124u);
    for (std::uint8_t w : writes) ASSERT_EQ(w & 0xF8, held & 0xF8) << std::hex << int(held) << " " << int(w);
  }
}

TEST_F(Transfers, EveryByteValueReachesTheTunerIntact) {
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t b = static_cast<std::uint8_t>(v);
    TunerBusWrite(0x29, b, 0xFF - b, b ^ 0x5A, (b << 4 | b >> 4) & 0xFF);
    ASSERT_THAT(pc.tuner.modeFrame, ElementsAre(b, 0xFF - b, b ^ 0x5A, (b << 4 | b >> 4) & 0xFF));
    const sim::StatusBytes answer = Bytes({b, std::uint8_t(~b), 0, 0xFF, b, std::uint8_t(b ^ 0x81)});
    pc.tunerLog.scriptedStatus = {answer};
    ASSERT_THAT(Read(0x2A), ElementsAreArray(answer));
  }
  EXPECT_EQ(pc.tunerLog.transfers.size(), 512u);
}
