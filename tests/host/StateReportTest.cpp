// The simulated PC's state report, which tests of whole programs read from another process:
// written after every call into the stand-ins while TARVEN_SIM_REPORT names a file, it shows
// what that call left on the PC and the unit.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "LibraryFixture.h"

using ::testing::HasSubstr;

class StateReport : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    std::remove(path.c_str());
    setenv("TARVEN_SIM_REPORT", path.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("TARVEN_SIM_REPORT");
    std::remove(path.c_str());
    LibraryTest::TearDown();
  }
  std::string Report() const {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // A file per test: the report is only rewritten when its text changes.
  const std::string path = ::testing::TempDir() + "tarven-state-report-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
};

TEST_F(StateReport, ShowsTheBrightnessAndTiltTheLastCallLeft) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  ASSERT_EQ(tcx_SetMonitorBrightness(2, 7), 1);
  EXPECT_THAT(Report(), HasSubstr("monitor.day=2\nmonitor.night=7\n"));
  ASSERT_EQ(tcx_TiltUp(1), 1);
  EXPECT_THAT(Report(), HasSubstr("monitor.tilt=" + std::to_string(pc.monitor.tilt) + "\n"));
  EXPECT_THAT(Report(), HasSubstr("monitor.openHandles=1\n"));
}

TEST_F(StateReport, CountsTheOutsideLibraryCallsAndFollowsPortAccess) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  const std::string calls = std::to_string(pc.trace.CountCalls("InitializeWinIo") + pc.trace.CountCalls("TarVen_Open") +
                                           pc.trace.CountCalls("TarVen_GetDevInfo"));
  EXPECT_THAT(Report(), HasSubstr("calls=" + calls + "\nfaults=0\nportIo=1\n"));
  tcx_CloseTARVEN();
  EXPECT_THAT(Report(), HasSubstr("portIo=0\nparallel.radioOff=1\nmonitor.openHandles=0\n"));
}

TEST_F(StateReport, ShowsTheRadioOffLineThroughTuning) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  ASSERT_EQ(tcx_OpenRadio(), 1);
  ASSERT_EQ(tcx_SetChannelRadio(0, 9350), 1);
  EXPECT_THAT(Report(), HasSubstr("parallel.radioOff=0\n"));
  ASSERT_EQ(tcx_CloseRadio(), 1);
  EXPECT_THAT(Report(), HasSubstr("parallel.radioOff=1\n"));
}

TEST_F(StateReport, ShowsTheTunersRegistersAsLastWritten) {
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  ASSERT_EQ(tcx_OpenRadio(), 1);
  ASSERT_EQ(tcx_SetChannelRadio(0, 9350), 1);
  EXPECT_THAT(Report(), HasSubstr("tuner.0x28=BE 28 8E 70\ntuner.0x29=C3 80 C9 01\ntuner.malformed=0\n"));
}

TEST_F(StateReport, NothingIsWrittenWhenNoFileIsNamed) {
  unsetenv("TARVEN_SIM_REPORT");
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  EXPECT_FALSE(std::ifstream(path).good());
}
