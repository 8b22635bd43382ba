// Monitor control: what each function sends to the device library, what it reports back, and
// that it needs only the device half of the connection.
#include <array>
#include <string>

#include "LibraryFixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The step count of each tilt call the device library received.
std::vector<std::uint64_t> TiltStepsSent(const sim::Trace& trace, const char* call) {
  std::vector<std::uint64_t> steps;
  for (const sim::Event& e : trace.events)
    if (e.kind == sim::Event::Call && std::string(e.call) == call) steps.push_back(e.args[1]);
  return steps;
}

}  // namespace

class MonitorTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(tcx_OpenTARVEN(), 0);
    pc.trace.Clear();
  }
};

using Tilt = MonitorTest;

TEST_F(Tilt, StepCountsAreClampedToOneToThreeInBothDirections) {
  for (int steps : {0, -5, 2, 7, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(tcx_TiltUp(steps), 1);
    EXPECT_EQ(tcx_TiltDown(steps), 1);
  }
  EXPECT_THAT(TiltStepsSent(pc.trace, "TarVen_SetMonitorTiltUp"), ElementsAre(1, 1, 2, 3, 1, 3));
  EXPECT_THAT(TiltStepsSent(pc.trace, "TarVen_SetMonitorTiltDown"), ElementsAre(1, 1, 2, 3, 1, 3));
}

TEST_F(Tilt, MovesTheUnitAndReportsOneEvenAtTheEndStop) {
  pc.monitor.tilt = 9;
  EXPECT_EQ(tcx_TiltUp(2), 1);
  EXPECT_EQ(pc.monitor.tilt, 10);
  EXPECT_EQ(tcx_TiltUp(1), 1);
  EXPECT_EQ(pc.monitor.tilt, 10);
  EXPECT_EQ(tcx_TiltDown(3), 1);
  EXPECT_EQ(pc.monitor.tilt, 7);
}

using Brightness = MonitorTest;

TEST_F(Brightness, LevelsAreCutToTheirLowByteAndOneIsReturnedWhateverTheDeviceSays) {
  EXPECT_EQ(tcx_SetMonitorBrightness(0x1FF, 3), 1);  // the unit rejects 0xFF
  EXPECT_EQ(tcx_SetMonitorBrightness(0x105, -1), 1);
  EXPECT_EQ(tcx_SetMonitorBrightness(2, 7), 1);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> sent;
  for (const sim::Event& e : pc.trace.events) sent.emplace_back(e.args[1], e.args[2]);
  EXPECT_THAT(sent, ElementsAre(std::make_pair(0xFFu, 3u), std::make_pair(0x05u, 0xFFu),
                                std::make_pair(2u, 7u)));
  EXPECT_EQ(pc.monitor.dayLevel, 2);
  EXPECT_EQ(pc.monitor.nightLevel, 7);
}

TEST_F(Brightness, SelectorTwoReadsTheLowNibbleAnyOtherTheHighOne) {
  pc.monitor.dayLevel = 0x7;
  pc.monitor.nightLevel = 0xA;  // brightness byte 0x7A
  EXPECT_EQ(tcx_GetMonitorBrightness(2), 10);
  for (int selector : {0, 1, 3, -2, INT32_MIN}) EXPECT_EQ(tcx_GetMonitorBrightness(selector), 7);
  EXPECT_EQ(libraryState.devStatus.brightness, 0x7A) << "the shared status record is filled";
}

TEST_F(Brightness, AFailedStatusReadGivesZero) {
  pc.monitor.failGetDevStatus = true;
  EXPECT_EQ(tcx_GetMonitorBrightness(0), 0);
  EXPECT_EQ(tcx_GetMonitorBrightness(2), 0);
}

using Version = MonitorTest;

TEST_F(Version, BytesAreMajorThenHighThenLowNibbleOfThePackedByte) {
  pc.monitor.fwMajor = 3;
  pc.monitor.fwSecond = 0xC;
  pc.monitor.fwThird = 0x5;
  std::array<unsigned char, 3> version{9, 9, 9};
  EXPECT_EQ(tcx_GetFwVersion(version.data()), 1);
  EXPECT_THAT(version, ElementsAre(3, 0xC, 0x5));
}

TEST_F(Version, FailingIdentificationGivesZeroAndThreeZeroBytes) {
  pc.monitor.failGetDevInfo = true;
  std::array<unsigned char, 3> version{9, 9, 9};
  EXPECT_EQ(tcx_GetFwVersion(version.data()), 0);
  EXPECT_THAT(version, ElementsAre(0, 0, 0));
}

using Status = MonitorTest;

TEST_F(Status, ReportsBit12FlagBit1AndBit8) {
  struct Case {
    std::uint32_t word;
    std::uint8_t flags;
    std::array<unsigned char, 3> expected;
  };
  for (const Case& c : {Case{0x1000, 0x02, {1, 1, 0}}, Case{0x0100, 0x00, {0, 0, 1}},
                        Case{0xFFFFEEFF, 0xFD, {0, 0, 0}}, Case{0x1100, 0x02, {1, 1, 1}}}) {
    pc.monitor.statusWord = c.word;
    pc.monitor.flags = c.flags;
    std::array<unsigned char, 3> status{9, 9, 9};
    EXPECT_EQ(tcx_GetDevStatus(status.data()), 1);
    EXPECT_EQ(status, c.expected) << std::hex << c.word;
  }
}

TEST_F(Status, AFailedReadLeavesTheCallersBytes) {
  pc.monitor.failGetDevStatus = true;
  std::array<unsigned char, 3> status{9, 9, 9};
  EXPECT_EQ(tcx_GetDevStatus(status.data()), 0);
  EXPECT_THAT(status, ElementsAre(9, 9, 9));
}

TEST_F(MonitorTest, NullOutputPointersAreRefusedWithoutADeviceCall) {
  EXPECT_EQ(tcx_GetFwVersion(nullptr), 0);
  EXPECT_EQ(tcx_GetDevStatus(nullptr), 0);
  EXPECT_THAT(pc.trace.events, IsEmpty());
}

using NoDevice = LibraryTest;

TEST_F(NoDevice, AllSixReturnZeroAndLeaveTheCallersBytes) {
  pc.monitor.present = false;
  ASSERT_EQ(tcx_OpenTARVEN(), 2);
  pc.trace.Clear();
  std::array<unsigned char, 3> version{7, 8, 9}, status{7, 8, 9};
  EXPECT_EQ(tcx_GetFwVersion(version.data()), 0);
  EXPECT_EQ(tcx_GetDevStatus(status.data()), 0);
  EXPECT_EQ(tcx_TiltUp(1), 0);
  EXPECT_EQ(tcx_TiltDown(1), 0);
  EXPECT_EQ(tcx_SetMonitorBrightness(2, 7), 0);
  EXPECT_EQ(tcx_GetMonitorBrightness(2), 0);
  EXPECT_THAT(version, ElementsAre(7, 8, 9));
  EXPECT_THAT(status, ElementsAre(7, 8, 9));
  EXPECT_THAT(pc.trace.events, IsEmpty());
}

TEST_F(NoDevice, MonitorWorksAfterAnOpenWithoutPortAccess) {
  pc.portAccessGranted = false;
  ASSERT_EQ(tcx_OpenTARVEN(), 1);
  EXPECT_EQ(tcx_IsOpenTARVEN(), 0);
  std::array<unsigned char, 3> version{};
  EXPECT_EQ(tcx_GetFwVersion(version.data()), 1);
  EXPECT_THAT(version, ElementsAre(1, 4, 2));
  EXPECT_EQ(tcx_TiltUp(1), 1);
  EXPECT_EQ(tcx_SetMonitorBrightness(4, 5), 1);
  EXPECT_EQ(tcx_GetMonitorBrightness(0), 4);
}
