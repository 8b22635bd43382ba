// The simulated PC as TarvenK3Sim.exe changes and shows it: settings set by key, all or none;
// each setting shown as the text that sets it; what two PCs that share the hardware see of
// each other's changes; and the radio as the library left it.
#include <string>
#include <vector>

#include "LibraryFixture.h"
#include "PcState.h"
#include "Settings.h"

using ::testing::HasSubstr;

namespace {

// A value other than the default for every setting a running PC takes.
const std::vector<std::string> kChanges = {
    "port_access=denied", "unit=absent", "model=QX7A",  "firmware=2.0.15",     "devinfo=fails",    "devstatus=next:2",
    "tilt=0",             "brightness=15,0", "status=0x1000,0x00", "tuner=absent-low", "stations=AM:531", "tuner_counter=slow"};

std::string Settings(const sim::SimulatedPc& pc) {
  std::string text;
  for (const auto& [key, value] : sim::StateOf(pc).settings) text += key + "=" + value + "\n";
  return text;
}

}  // namespace

TEST(PcSettings, EachIsShownAsTheTextThatSetsIt) {
  const sim::SimulatedPc fresh;
  std::vector<std::string> keys;
  for (const sim::Setting& setting : sim::Settings()) {
    if (!setting.show) continue;
    keys.push_back(sim::KeyOf(setting));
    EXPECT_EQ(setting.show(fresh), setting.byDefault) << keys.back();
  }
  ASSERT_EQ(keys.size(), kChanges.size()) << "a setting without a change below";
  for (const std::string& change : kChanges) {
    sim::SimulatedPc pc;
    std::string error;
    ASSERT_TRUE(sim::SetKeys(pc, {change}, &error)) << error;
    EXPECT_THAT(Settings(pc), HasSubstr(change + "\n"));
  }
}

TEST(PcSettings, ASetChangesAllItsKeysOrNone) {
  struct Case {
    std::vector<std::string> assignments;
    const char* refusal;  // nullptr: taken
  };
  const Case cases[] = {
      {{"tilt=3", "brightness=10,2"}, nullptr},
      {{"tilt=4", "bogus=1"}, "no setting 'bogus' of the running PC; the keys are: port_access unit"},
      {{"vcd=wave.vcd"}, "no setting 'vcd'"},
      {{"tilt=11"}, "'11' is not a value of tilt, which takes tilt position, 0 (down) to 10"},
      {{"brightness=9"}, "'9' is not a value of brightness"},
      {{"stations=FM:9350:mono"}, "is not a value of stations"},
      {{"devstatus=next:0"}, "is not a value of devstatus"},
      {{"tilt"}, "'tilt' is not KEY=VALUE"},
  };
  for (const Case& c : cases) {
    sim::SimulatedPc pc;
    const std::string before = Settings(pc);
    std::string error;
    EXPECT_EQ(sim::SetKeys(pc, c.assignments, &error), c.refusal == nullptr) << c.assignments[0];
    if (c.refusal) {
      EXPECT_THAT(error, HasSubstr(c.refusal));
      EXPECT_EQ(Settings(pc), before) << c.assignments[0];
    }
  }
}

// Everything a running PC takes lives in the hardware the PCs share: a change on one is what
// the other finds at its next call.
TEST(PcSettings, AChangeOnOnePcIsWhatAnotherSharingItFinds) {
  sim::SimulatedPc first, second;
  sim::SharedHardware block;
  sim::ShareHardware(first, block, nullptr, true);
  sim::ShareHardware(second, block, nullptr, false);
  std::string error;
  bool loaded = first.BeginCall();
  ASSERT_TRUE(sim::SetKeys(first, kChanges, &error)) << error;
  first.EndCall(loaded);
  loaded = second.BeginCall();
  EXPECT_EQ(Settings(second), Settings(first));
  second.EndCall(loaded);
}

class PcStateOfTheRadio : public LibraryTest {};

TEST_F(PcStateOfTheRadio, FollowsTheTuningAndTheRadioOffLine) {
  EXPECT_THAT(sim::StateJson(sim::StateOf(pc)), HasSubstr("\"radio\": {\"open\": false, \"band\": \"FM\", \"frequency\": 0"));
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  ASSERT_EQ(tcx_OpenRadio(), 1);
  ASSERT_EQ(tcx_SetChannelRadio(TCX_BAND_FM, 9350), 1);
  EXPECT_THAT(sim::StateJson(sim::StateOf(pc)),
              HasSubstr("\"radio\": {\"open\": true, \"band\": \"FM\", \"frequency\": 9350, \"frequency_text\": "
                        "\"93.50 MHz\", \"station\": true, \"stereo\": true}"));
  ASSERT_EQ(tcx_SetChannelRadio(TCX_BAND_AM, 1000), 1);
  EXPECT_THAT(sim::StateText(sim::StateOf(pc)), HasSubstr("radio: on, AM 1000 kHz, no station\n"));
  tcx_CloseTARVEN();
  EXPECT_THAT(sim::StateText(sim::StateOf(pc)), HasSubstr("radio: off\n"));
}
