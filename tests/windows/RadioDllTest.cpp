// The radio functions through the DLL, bound by decorated names, against the simulated tuner
// on the stand-in IO.dll's parallel port. The waits are Win32's real Sleep here.
#include <array>

#include "BoundLibrary.h"

using ::testing::ElementsAre;

class RadioDll : public DllTest {
 protected:
  void SetUp() override {
    DllTest::SetUp();
    ASSERT_EQ(Bound(library).OpenTARVEN(), 0);
    openRadio = Bound(library).OpenRadio;
    closeRadio = Bound(library).CloseRadio;
    isOpenRadio = Bound(library).IsOpenRadio;
    setChannel = Bound(library).SetChannelRadio;
    detect = Bound(library).GetChannelDetectState;
    stereo = Bound(library).GetFMStereoState;
  }

  static std::array<unsigned char, 4> TunerFrame(int address) {
    std::array<unsigned char, 4> bytes{};
    EXPECT_EQ(TarvenSim_GetTunerFrame(address, bytes.data()), 1);
    return bytes;
  }

  decltype(&tcx_OpenRadio) openRadio = nullptr;
  decltype(&tcx_CloseRadio) closeRadio = nullptr;
  decltype(&tcx_IsOpenRadio) isOpenRadio = nullptr;
  decltype(&tcx_SetChannelRadio) setChannel = nullptr;
  decltype(&tcx_GetChannelDetectState) detect = nullptr;
  decltype(&tcx_GetFMStereoState) stereo = nullptr;
};

TEST_F(RadioDll, ExportedUnderDecoratedNamesOnly) {
  for (const char* name : {"_tcx_OpenRadio@0", "_tcx_CloseRadio@0", "_tcx_IsOpenRadio@0",
                           "_tcx_SetChannelRadio@8", "_tcx_GetChannelDetectState@4",
                           "_tcx_GetFMStereoState@0"})
    EXPECT_NE(GetProcAddress(library, name), nullptr) << name;
  EXPECT_EQ(GetProcAddress(library, "tcx_SetChannelRadio"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "tcx_SetChannelRadio@8"), nullptr);
}

TEST_F(RadioDll, TunesTheTunerAndDetectsTheStationsOnTheAir) {
  ASSERT_EQ(openRadio(), 1);
  EXPECT_EQ(isOpenRadio(), 1);

  EXPECT_EQ(setChannel(0, 9350), 1);
  EXPECT_THAT(TunerFrame(0x28), ElementsAre(0xBE, 0x28, 0x8E, 0x70));
  EXPECT_THAT(TunerFrame(0x29), ElementsAre(0xC3, 0x80, 0xC9, 0x01));
  EXPECT_EQ(detect(0), 1);
  EXPECT_EQ(stereo(), 1);
  EXPECT_THAT(TunerFrame(0x29), ElementsAre(0xC3, 0xC1, 0xC9, 0x01)) << "left counting";

  EXPECT_EQ(setChannel(0, 9890), 1);
  EXPECT_EQ(detect(0), 1) << "mono: every sample retries";
  EXPECT_EQ(stereo(), 0);

  EXPECT_EQ(setChannel(1, 810), 1);
  EXPECT_THAT(TunerFrame(0x28), ElementsAre(0x5A, 0x2D, 0xBD, 0x52));
  EXPECT_THAT(TunerFrame(0x29), ElementsAre(0xC3, 0x82, 0xCA, 0x03));
  EXPECT_EQ(detect(1), 1);

  EXPECT_EQ(setChannel(0, 9500), 1);
  EXPECT_EQ(detect(0), 0);
}

TEST_F(RadioDll, StationListAndAbsentTunerFromTheControlFunctions) {
  ASSERT_EQ(openRadio(), 1);
  TarvenSim_ClearStations();
  TarvenSim_AddStation(0, 10110, 1);
  EXPECT_EQ(setChannel(0, 9350), 1);
  EXPECT_EQ(detect(0), 0);
  EXPECT_EQ(setChannel(0, 10110), 1);
  TarvenSim_SetTunerSlowCounter(1);
  EXPECT_EQ(detect(0), 1);
  EXPECT_EQ(stereo(), 1);

  TarvenSim_SetTuner(TARVENSIM_TUNER_ABSENT_HIGH);
  EXPECT_EQ(setChannel(0, 10110), 1) << "no acknowledgement: tuning an absent tuner succeeds";
  EXPECT_EQ(detect(0), 0);
  EXPECT_EQ(stereo(), 0);
  TarvenSim_SetTuner(TARVENSIM_TUNER_ABSENT_LOW);
  EXPECT_EQ(stereo(), 1);
}

TEST_F(RadioDll, ClosedRadioRefusesAndClosingWritesTheClosedPattern) {
  TarvenSim_ClearTrace();
  EXPECT_EQ(setChannel(0, 9350), 0);
  EXPECT_EQ(detect(0), 0);
  EXPECT_EQ(stereo(), 0);
  EXPECT_EQ(TarvenSim_TraceLength(), 0);

  ASSERT_EQ(openRadio(), 1);
  TarvenSim_ClearTrace();
  EXPECT_EQ(closeRadio(), 1);
  EXPECT_EQ(isOpenRadio(), 0);
  EXPECT_THAT(SimPortWrites(), ElementsAre(std::make_pair(0x378, 0x98)));
}
