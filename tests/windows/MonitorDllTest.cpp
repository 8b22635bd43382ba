// The monitor functions through the DLL, bound by decorated names, against the stand-in
// TarVenCOM.dll.
#include "BoundLibrary.h"

using ::testing::ElementsAre;

class MonitorDll : public DllTest {
 protected:
  void SetUp() override {
    DllTest::SetUp();
    auto open = Bound(library).OpenTARVEN;
    ASSERT_EQ(open(), 0);
  }

  int Tilt() {
    int tilt = 0, day = 0, night = 0;
    TarvenSim_GetMonitor(&tilt, &day, &night);
    return tilt;
  }
};

TEST_F(MonitorDll, TiltMovesOneToThreeStepsWhateverTheCount) {
  auto up = Bound(library).TiltUp;
  auto down = Bound(library).TiltDown;
  TarvenSim_SetMonitor(5, 9, 3);
  EXPECT_EQ(up(0), 1);
  EXPECT_EQ(Tilt(), 6);
  EXPECT_EQ(down(7), 1);
  EXPECT_EQ(Tilt(), 3);
  EXPECT_EQ(down(-5), 1);
  EXPECT_EQ(Tilt(), 2);
}

TEST_F(MonitorDll, BrightnessIsSetAndReadBackByNibble) {
  auto set = Bound(library).SetMonitorBrightness;
  auto get = Bound(library).GetMonitorBrightness;
  EXPECT_EQ(set(7, 10), 1);
  EXPECT_EQ(get(2), 10);
  EXPECT_EQ(get(0), 7);
  EXPECT_EQ(set(0x1FF, 3), 1) << "the unit rejects 0xFF; the library still reports it sent";
  EXPECT_EQ(get(1), 7);
}

TEST_F(MonitorDll, VersionAndStatusFillTheCallersThreeBytes) {
  auto version = Bound(library).GetFwVersion;
  auto status = Bound(library).GetDevStatus;
  TarvenSim_SetFirmware(2, 11, 6);
  TarvenSim_SetDevStatus(0x1000, 0x02);
  unsigned char bytes[4] = {9, 9, 9, 0xEE};
  EXPECT_EQ(version(bytes), 1);
  EXPECT_THAT(bytes, ElementsAre(2, 11, 6, 0xEE));
  EXPECT_EQ(status(bytes), 1);
  EXPECT_THAT(bytes, ElementsAre(1, 1, 0, 0xEE));
  EXPECT_EQ(version(nullptr), 0);
  EXPECT_EQ(status(nullptr), 0);
}

TEST_F(MonitorDll, WithoutADeviceEveryFunctionReturnsZero) {
  auto close = Bound(library).CloseTARVEN;
  close();
  unsigned char bytes[3] = {4, 5, 6};
  EXPECT_EQ(Bound(library).GetFwVersion(bytes), 0);
  EXPECT_EQ(Bound(library).GetDevStatus(bytes), 0);
  EXPECT_EQ(Bound(library).TiltUp(1), 0);
  EXPECT_EQ(Bound(library).TiltDown(1), 0);
  EXPECT_EQ(Bound(library).SetMonitorBrightness(1, 1), 0);
  EXPECT_EQ(Bound(library).GetMonitorBrightness(0), 0);
  EXPECT_THAT(bytes, ElementsAre(4, 5, 6));
}
