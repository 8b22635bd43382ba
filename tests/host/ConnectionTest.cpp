// Opening, closing and unloading: the two halves of the connection and what each call
// touches on the PC and the device library.
#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "LibraryFixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ResultCodes = LibraryTest;

TEST_F(ResultCodes, BothHalvesAvailableGiveZeroAndAnOpenUnit) {
  EXPECT_EQ(tcx_IsOpenTARVEN(), 0);
  EXPECT_EQ(tcx_OpenTARVEN(), 0);
  EXPECT_EQ(tcx_IsOpenTARVEN(), 1);
  EXPECT_TRUE(pc.portIoInitialized);
  EXPECT_EQ(pc.monitor.OpenHandleCount(), 1u);
}

TEST_F(ResultCodes, EachMissingHalfSetsItsOwnBit) {
  struct Case {
    bool portAccess, unitPresent;
    int expected;
  };
  for (const Case c : {Case{false, true, 1}, Case{true, false, 2}, Case{false, false, 3}}) {
    SetUp();
    pc.portAccessGranted = c.portAccess;
    pc.monitor.present = c.unitPresent;
    EXPECT_EQ(tcx_OpenTARVEN(), c.expected);
    EXPECT_EQ(tcx_IsOpenTARVEN(), 0) << "result " << c.expected;
    EXPECT_EQ(libraryState.portIoReady, c.portAccess ? 1 : 0);
    EXPECT_EQ(HasDevice(), c.unitPresent);
  }
}

TEST_F(ResultCodes, SecondOpenOfAnOpenUnitCallsNothing) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  pc.trace.Clear();
  EXPECT_EQ(tcx_OpenTARVEN(), 0);
  EXPECT_THAT(pc.trace.events, IsEmpty());
}

TEST_F(ResultCodes, AfterResultTwoOnlyTheDeviceIsRetried) {
  pc.monitor.present = false;
  ASSERT_EQ(tcx_OpenTARVEN(), 2);
  pc.monitor.present = true;
  pc.trace.Clear();
  EXPECT_EQ(tcx_OpenTARVEN(), 0);
  EXPECT_THAT(pc.trace.Calls(), ElementsAre("TarVen_Open", "TarVen_GetDevInfo"));
  EXPECT_THAT(pc.trace.PortWrites(), IsEmpty());
  EXPECT_EQ(tcx_IsOpenTARVEN(), 1);
}

TEST_F(ResultCodes, AfterResultOneOnlyPortAccessIsRetried) {
  pc.portAccessGranted = false;
  ASSERT_EQ(tcx_OpenTARVEN(), 1);
  EXPECT_EQ(pc.trace.CountCalls("InitializeWinIo"), 1u);
  EXPECT_THAT(pc.trace.PortWrites(), IsEmpty()) << "no port is touched without access";
  pc.portAccessGranted = true;
  pc.trace.Clear();
  EXPECT_EQ(tcx_OpenTARVEN(), 0);
  EXPECT_THAT(pc.trace.Calls(), ElementsAre("InitializeWinIo"));
  EXPECT_EQ(pc.trace.PortWrites(), kSuperIoSequence);
}

TEST_F(ResultCodes, UnknownModelIsOpenedThenClosedAgain) {
  for (const char* model : {"QX7H", "QX8A", "qx7a", "XQ7A"}) {
    SetUp();
    pc.monitor.modelId = model;
    EXPECT_EQ(tcx_OpenTARVEN(), 2) << model;
    EXPECT_THAT(pc.trace.Calls(), ElementsAre("InitializeWinIo", "TarVen_Open",
                                              "TarVen_GetDevInfo", "TarVen_Close"));
    EXPECT_FALSE(HasDevice());
    EXPECT_EQ(pc.monitor.OpenHandleCount(), 0u);
  }
  SetUp();
  pc.portAccessGranted = false;
  pc.monitor.modelId = "QX7Z";
  EXPECT_EQ(tcx_OpenTARVEN(), 3);
}

TEST_F(ResultCodes, EveryAcceptedModelOpens) {
  for (const char* model : {"QX7A", "QX7B", "QX7C", "QX7D", "QX7E", "QX7F", "QX7G"}) {
    SetUp();
    pc.monitor.modelId = model;
    EXPECT_EQ(tcx_OpenTARVEN(), 0) << model;
  }
}

TEST_F(ResultCodes, FailingIdentificationClosesTheDevice) {
  pc.monitor.failGetDevInfo = true;
  EXPECT_EQ(tcx_OpenTARVEN(), 2);
  EXPECT_EQ(pc.trace.CountCalls("TarVen_Close"), 1u);
  EXPECT_EQ(pc.monitor.OpenHandleCount(), 0u);
}

using OpenSequence = LibraryTest;

TEST_F(OpenSequence, TenConfigurationBytesPrecedeTheDeviceOpen) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  std::vector<PortWrite> writesBeforeOpen;
  bool initialised = false;
  for (const sim::Event& e : pc.trace.events) {
    if (e.kind == sim::Event::Call && std::string(e.call) == "InitializeWinIo") initialised = true;
    if (e.kind == sim::Event::Call && std::string(e.call) == "TarVen_Open") break;
    if (e.kind == sim::Event::PortWrite) {
      EXPECT_TRUE(initialised) << "port written before InitializeWinIo";
      writesBeforeOpen.emplace_back(e.port, e.value);
    }
  }
  EXPECT_EQ(writesBeforeOpen, kSuperIoSequence);
  EXPECT_EQ(pc.trace.Count(sim::Event::PortRead), 0u);
  EXPECT_EQ(pc.trace.PortWrites().size(), 10u) << "no exit key, nothing else";
  EXPECT_TRUE(pc.superIo.configurationMode);
  std::array<std::uint8_t, 256> registers{};  // those not written read 0
  for (const auto& [index, value] : std::map<std::uint8_t, std::uint8_t>{
           {0x07, 0x01}, {0x60, 0xDE}, {0x30, 0x00}, {0xF0, 0x08}})
    registers[index] = value;
  EXPECT_EQ(pc.superIo.registers, registers);
}

TEST_F(OpenSequence, DeviceIsOpenedWithItsFixedArguments) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  for (const sim::Event& e : pc.trace.events) {
    if (e.kind != sim::Event::Call || std::string(e.call) != "TarVen_Open") continue;
    EXPECT_EQ(e.args[0], 0x00FE0102u);
    EXPECT_EQ(e.args[1], 0u);
    EXPECT_EQ(e.args[2], 0u);
  }
}

using Close = LibraryTest;

TEST_F(Close, WithNothingOpenTouchesNothing) {
  tcx_CloseTARVEN();
  tcx_CloseTARVEN();
  EXPECT_THAT(pc.trace.events, IsEmpty());
  EXPECT_EQ(tcx_IsOpenTARVEN(), 0);
  EXPECT_EQ(libraryState.radioOpen, 0);
}

TEST_F(Close, ReleasesPortThenDeviceOnce) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  libraryState.radioOpen = 1;
  pc.trace.Clear();
  tcx_CloseTARVEN();
  tcx_CloseTARVEN();
  EXPECT_THAT(pc.trace.PortWrites(), ElementsAre(PortWrite{0x378, 0x98}));
  EXPECT_THAT(pc.trace.Calls(), ElementsAre("ShutdownWinIo", "TarVen_Close"));
  EXPECT_EQ(tcx_IsOpenTARVEN(), 0);
  EXPECT_EQ(libraryState.radioOpen, 0);
  EXPECT_FALSE(pc.portIoInitialized);
  EXPECT_EQ(pc.monitor.OpenHandleCount(), 0u);
}

TEST_F(Close, ReopenAfterCloseRunsTheWholeOpenAgain) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  tcx_CloseTARVEN();
  pc.trace.Clear();
  EXPECT_EQ(tcx_OpenTARVEN(), 0);
  EXPECT_EQ(pc.trace.PortWrites(), kSuperIoSequence);
  EXPECT_EQ(pc.trace.CountCalls("TarVen_Open"), 1u);
}

using Unload = LibraryTest;

TEST_F(Unload, ReleasesDeviceThenPortExactlyOnce) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  pc.trace.Clear();
  ReleaseAtUnload();
  EXPECT_THAT(pc.trace.Calls(), ElementsAre("TarVen_Close", "ShutdownWinIo"));
  EXPECT_THAT(pc.trace.PortWrites(), ElementsAre(PortWrite{0x378, 0x98}));
  // The 0x98 write happens while port access is still up: between the two calls.
  ASSERT_EQ(pc.trace.events.size(), 3u);
  EXPECT_EQ(pc.trace.events[1].kind, sim::Event::PortWrite);
}

TEST_F(Unload, ReleasesOnlyTheHalfThatIsOpen) {
  pc.monitor.present = false;
  ASSERT_EQ(tcx_OpenTARVEN(), 2);
  pc.trace.Clear();
  ReleaseAtUnload();
  EXPECT_THAT(pc.trace.Calls(), ElementsAre("ShutdownWinIo"));

  SetUp();
  pc.portAccessGranted = false;
  ASSERT_EQ(tcx_OpenTARVEN(), 1);
  pc.trace.Clear();
  ReleaseAtUnload();
  EXPECT_THAT(pc.trace.Calls(), ElementsAre("TarVen_Close"));
  EXPECT_THAT(pc.trace.PortWrites(), IsEmpty());
}

TEST_F(Unload, AfterCloseReleasesNothing) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  tcx_CloseTARVEN();
  pc.trace.Clear();
  ReleaseAtUnload();
  EXPECT_THAT(pc.trace.events, IsEmpty());
}
