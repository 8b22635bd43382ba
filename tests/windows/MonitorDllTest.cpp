// The monitor functions through the DLL, bound by decorated names, against the stand-in
// TarVenCOM.dll.
#include "BoundLibrary.h"

using ::testing::ElementsAre;

class MonitorDll : public DllTest {
 protected:
  void SetUp() override {
    DllTest::SetUp();
    auto open = TCX_BIND(library, tcx_OpenTARVEN, "_tcx_OpenTARVEN@0");
    ASSERT_EQ(open(), 0);
  }

  int Tilt() {
    int tilt = 0, day = 0, night = 0;
    TarvenSim_GetMonitor(&tilt, &day, &night);
    return tilt;
  }
};

TEST_F(MonitorDll, TiltMovesOneToThreeStepsWhateverTheCount) {
  auto up = TCX_BIND(library, tcx_TiltUp, "_tcx_TiltUp@4");
  auto down = TCX_BIND(library, tcx_TiltDown, "_tcx_TiltDown@4");
  TarvenSim_SetMonitor(5, 9, 3);
  EXPECT_EQ(up(0), 1);
  EXPECT_EQ(Tilt(), 6);
  EXPECT_EQ(down(7), 1);
  EXPECT_EQ(Tilt(), 3);
  EXPECT_EQ(down(-5), 1);
  EXPECT_EQ(Tilt(), 2);
}

TEST_F(MonitorDll, BrightnessIsSetAndReadBackByNibble) {
  auto set = TCX_BIND(library, tcx_SetMonitorBrightness, "_tcx_SetMonitorBrightness@8");
  auto get = TCX_BIND(library, tcx_GetMonitorBrightness, "_tcx_GetMonitorBrightness@4");
  EXPECT_EQ(set(7, 10), 1);
  EXPECT_EQ(get(2), 10);
  EXPECT_EQ(get(0), 7);
  EXPECT_EQ(set(0x1FF, 3), 1) << "the unit rejects 0xFF; the library still reports it sent";
  EXPECT_EQ(get(1), 7);
}

TEST_F(MonitorDll, VersionAndStatusFillTheCallersThreeBytes) {
  auto version = TCX_BIND(library, tcx_GetFwVersion, "_tcx_GetFwVersion@4");
  auto status = TCX_BIND(library, tcx_GetDevStatus, "_tcx_GetDevStatus@4");
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
  auto close = TCX_BIND(library, tcx_CloseTARVEN, "_tcx_CloseTARVEN@0");
  close();
  unsigned char bytes[3] = {4, 5, 6};
  EXPECT_EQ(TCX_BIND(library, tcx_GetFwVersion, "_tcx_GetFwVersion@4")(bytes), 0);
  EXPECT_EQ(TCX_BIND(library, tcx_GetDevStatus, "_tcx_GetDevStatus@4")(bytes), 0);
  EXPECT_EQ(TCX_BIND(library, tcx_TiltUp, "_tcx_TiltUp@4")(1), 0);
  EXPECT_EQ(TCX_BIND(library, tcx_TiltDown, "_tcx_TiltDown@4")(1), 0);
  EXPECT_EQ(TCX_BIND(library, tcx_SetMonitorBrightness, "_tcx_SetMonitorBrightness@8")(1, 1), 0);
  EXPECT_EQ(TCX_BIND(library, tcx_GetMonitorBrightness, "_tcx_GetMonitorBrightness@4")(0), 0);
  EXPECT_THAT(bytes, ElementsAre(4, 5, 6));
}
