// The sample panel's window driven from outside as a user drives it, against the simulated
// unit: its layout, its presses and the values they show, what reached the simulated devices,
// and how it reports bad fields and a library it cannot bind.
//   panel_ui_test.exe PATH\SamplePanel.exe [SCREENSHOT.bmp] [gtest options]
// The panel's folder holds TarvenK3Cmd.dll and the stand-in IO.dll and TarVenCOM.dll.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "PanelDesign.h"
#include "PanelRemote.h"

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::wstring panelProgram;  // full path of SamplePanel.exe
std::wstring panelFolder;   // its folder, with the library and the stand-ins

// The buttons, named by their captions.
constexpr const wchar_t* OpenTARVEN = L"Command1";
constexpr const wchar_t* CloseTARVEN = L"Command2";
constexpr const wchar_t* IsOpenTARVEN = L"Command3";
constexpr const wchar_t* OpenRadio = L"Command4";
constexpr const wchar_t* CloseRadio = L"Command5";
constexpr const wchar_t* IsOpenRadio = L"Command6";
constexpr const wchar_t* SetChannel = L"Command9";
constexpr const wchar_t* TiltUp = L"Command10";
constexpr const wchar_t* TiltDown = L"Command11";
constexpr const wchar_t* SetBrightness = L"Command12";
constexpr const wchar_t* GetFwVersion = L"Command13";
constexpr const wchar_t* GetDeviceStatus = L"Command14";
constexpr const wchar_t* GetFmStereoState = L"Command15";
constexpr const wchar_t* GetChannelDetectState = L"Command16";

constexpr wchar_t kLibrary[] = L"TarvenK3Cmd.dll";
constexpr char kAcceptedRange[] = "-2147483648 to 2147483647";

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// A length of the design at the screen's DPI.
int Scaled(int designPixels) { return MulDiv(designPixels, ScreenDpi(), kDesignDpi); }

// "left,top widthxheight" of a control in its parent's client area.
std::string Placement(HWND control, HWND parent) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

std::string DesignedPlacement(const DesignedControl& c) {
  return std::to_string(Scaled(c.left)) + "," + std::to_string(Scaled(c.top)) + " " + std::to_string(Scaled(c.width)) +
         "x" + std::to_string(Scaled(c.height));
}

class PanelTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!panel) return;
    EXPECT_TRUE(panel->Running()) << "the panel ended during the test";
    const auto report = panel->DeviceReport();
    if (!report.empty()) {
      EXPECT_EQ(report.at("faults"), "0") << "the simulated PC saw a fault";
    }
    EXPECT_TRUE(panel->Close()) << "the panel did not end when its window was closed";
  }

  void Start(const RemotePanel::Settings& settings = {}) { StartIn(panelProgram, panelFolder, settings); }
  void StartIn(const std::wstring& program, const std::wstring& workFolder, const RemotePanel::Settings& settings = {}) {
    panel = std::make_unique<RemotePanel>(program, workFolder, settings);
    ASSERT_EQ(panel->StartError(), L"");
  }

  // Presses a button that must run to its end without a report; gives the result label after.
  std::wstring Shown(const wchar_t* button) {
    const PressOutcome outcome = panel->Press(button);
    EXPECT_TRUE(outcome.finished) << Narrow(button) << ": the press did not finish";
    EXPECT_EQ(outcome.report, L"") << Narrow(button) << ": the press put up a report";
    return panel->Text(L"lblReturnValue");
  }

  // Presses a button that must stop with a report; gives the report's text.
  std::string Refused(const wchar_t* button) {
    const PressOutcome outcome = panel->Press(button);
    EXPECT_TRUE(outcome.finished) << Narrow(button) << ": the press did not finish";
    EXPECT_NE(outcome.report, L"") << Narrow(button) << ": the press put up no report";
    return Narrow(outcome.report);
  }

  std::string Device(const std::string& key) {
    const auto report = panel->DeviceReport();
    const auto found = report.find(key);
    return found == report.end() ? "(not reported)" : found->second;
  }

  std::unique_ptr<RemotePanel> panel;
};

// A folder of its own for a copy of the panel, removed again at the end.
class LoneFolder {
 public:
  LoneFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + L"tarven-panel-alone-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~LoneFolder() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring Copy(const std::wstring& from, const std::wstring& name) {
    files_.push_back(path_ + name);
    EXPECT_TRUE(CopyFileW(from.c_str(), files_.back().c_str(), FALSE)) << "cannot copy to " << Narrow(files_.back());
    return files_.back();
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

}  // namespace

// ---- the window as it opens ----

using Window = PanelTest;

TEST_F(Window, HasItsTitleAndAFixedClientAreaOfTheDesignedSize) {
  ASSERT_NO_FATAL_FAILURE(Start());
  wchar_t title[256] = {};
  GetWindowTextW(panel->Window(), title, 256);
  EXPECT_EQ(std::wstring(title), kPanelTitle);
  RECT client;
  GetClientRect(panel->Window(), &client);
  EXPECT_EQ(client.right, Scaled(kPanelClientWidth));
  EXPECT_EQ(client.bottom, Scaled(kPanelClientHeight));
  const LONG style = GetWindowLongW(panel->Window(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "the layout is fixed";
}

TEST_F(Window, EveryControlHasItsClassTextAndPlaceInTabOrder) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const std::vector<HWND> children = panel->Children();
  ASSERT_EQ(children.size(), kDesignedControlCount);
  for (std::size_t i = 0; i < kDesignedControlCount; ++i) {
    const DesignedControl& want = kDesignedControls[i];
    SCOPED_TRACE(Narrow(want.name));
    EXPECT_EQ(CompareStringOrdinal(ClassName(children[i]).c_str(), -1, want.windowClass, -1, TRUE), CSTR_EQUAL)
        << "class " << Narrow(ClassName(children[i]));
    EXPECT_EQ(panel->Text(children[i]), want.text);
    EXPECT_EQ(Placement(children[i], panel->Window()), DesignedPlacement(want));
  }
}

TEST_F(Window, FocusStartsOnCommand1AndTabVisitsTheButtonsAndFieldsInTabOrder) {
  ASSERT_NO_FATAL_FAILURE(Start());
  std::vector<std::wstring> expected;
  for (const DesignedControl& c : kDesignedControls)
    if (std::wstring(c.windowClass) != L"Static") expected.push_back(c.name);
  expected.push_back(expected.front());  // and round again

  auto nameOf = [this](HWND control) {
    for (const DesignedControl& c : kDesignedControls)
      if (panel->Control(c.name) == control) return std::wstring(c.name);
    return std::wstring(L"(not a control)");
  };
  std::vector<std::wstring> visited = {nameOf(panel->FocusedControl())};
  while (visited.size() < expected.size()) {
    const HWND from = panel->FocusedControl();
    PostMessageW(from, WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(from, WM_KEYUP, VK_TAB, 0xC0000001);
    for (int wait = 0; wait < 500 && panel->FocusedControl() == from; ++wait) Sleep(10);
    visited.push_back(nameOf(panel->FocusedControl()));
    if (panel->FocusedControl() == from) break;
  }
  EXPECT_EQ(visited, expected);
}

TEST_F(Window, OpensWithAnEmptyResultLabelAndTheLibraryNotYetLoaded) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(panel->Text(L"lblReturnValue"), L"");
  EXPECT_FALSE(panel->HasLoaded(kLibrary));
  EXPECT_TRUE(panel->DeviceReport().empty()) << "something reached the simulated PC";
}

// ---- the connection buttons ----

using Connection = PanelTest;

TEST_F(Connection, IsOpenTarvenPressedFirstShowsZeroAndLoadsTheLibrary) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(Shown(IsOpenTARVEN), L"0 (0H)");
  EXPECT_TRUE(panel->HasLoaded(kLibrary));
}

TEST_F(Connection, OpenTarvenShowsZeroThenIsOpenTarvenShowsOne) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(Shown(OpenTARVEN), L"0 (0H)");
  EXPECT_EQ(Device("portIo"), "1");
  EXPECT_EQ(Device("monitor.openHandles"), "1");
  EXPECT_EQ(Shown(IsOpenTARVEN), L"1 (1H)");
}

TEST_F(Connection, OpenTarvenWithoutPortAccessShowsOneAndIsOpenTarvenStaysZero) {
  ASSERT_NO_FATAL_FAILURE(Start({{L"TARVEN_SIM_PORT_ACCESS", L"denied"}}));
  EXPECT_EQ(Shown(OpenTARVEN), L"1 (1H)");
  EXPECT_EQ(Device("monitor.openHandles"), "1");
  EXPECT_EQ(Shown(IsOpenTARVEN), L"0 (0H)");
}

TEST_F(Connection, CloseTarvenShowsZeroAndReleasesThePortAndTheUnit) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  ASSERT_EQ(Shown(IsOpenTARVEN), L"1 (1H)");
  EXPECT_EQ(Shown(CloseTARVEN), L"0 (0H)");
  EXPECT_EQ(Device("portIo"), "0");
  EXPECT_EQ(Device("monitor.openHandles"), "0");
  EXPECT_EQ(Shown(IsOpenTARVEN), L"0 (0H)");
}

// ---- the monitor buttons ----

using Monitor = PanelTest;

TEST_F(Monitor, SetBrightnessSendsTheInitialDayAndNightLevels) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  EXPECT_EQ(Shown(SetBrightness), L"1 (1H)");
  EXPECT_EQ(Device("monitor.day"), "2");
  EXPECT_EQ(Device("monitor.night"), "7");
}

TEST_F(Monitor, FieldNumbersMayHaveBlanksAroundAndASign) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  panel->SetText(L"txtDay", L" 12 ");
  panel->SetText(L"txtNight", L"+5");
  EXPECT_EQ(Shown(SetBrightness), L"1 (1H)");
  EXPECT_EQ(Device("monitor.day"), "12");
  EXPECT_EQ(Device("monitor.night"), "5");
}

TEST_F(Monitor, TiltButtonsMoveOneStepWhateverTheFieldsHold) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  const int before = std::stoi(Device("monitor.tilt"));
  for (const DesignedControl& c : kDesignedControls)
    if (std::wstring(c.windowClass) == L"Edit") panel->SetText(c.name, L"3");
  EXPECT_EQ(Shown(TiltUp), L"1 (1H)");
  EXPECT_EQ(Device("monitor.tilt"), std::to_string(before + 1));
  for (const DesignedControl& c : kDesignedControls)
    if (std::wstring(c.windowClass) == L"Edit") panel->SetText(c.name, L"not a number");
  EXPECT_EQ(Shown(TiltDown), L"1 (1H)");
  EXPECT_EQ(Device("monitor.tilt"), std::to_string(before));
}

TEST_F(Monitor, GetFwVersionReadsTheVersionAndGetDeviceStatusTheStatus) {
  // A unit whose status cannot be read but whose version can tells the two apart.
  ASSERT_NO_FATAL_FAILURE(Start({{L"TARVEN_SIM_DEVSTATUS", L"fails"}}));
  EXPECT_EQ(Shown(GetFwVersion), L"0 (0H)") << "no unit open yet";
  Shown(OpenTARVEN);
  EXPECT_EQ(Shown(GetFwVersion), L"1 (1H)");
  EXPECT_EQ(Shown(GetDeviceStatus), L"0 (0H)");
  panel->Close();

  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  EXPECT_EQ(Shown(GetDeviceStatus), L"1 (1H)");
}

// ---- the radio buttons ----

using Radio = PanelTest;

TEST_F(Radio, OpenRadioBeforeOpenTarvenShowsZeroAndTouchesNoPort) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(Shown(OpenRadio), L"0 (0H)");
  EXPECT_TRUE(panel->DeviceReport().empty()) << "something reached the simulated PC";
}

TEST_F(Radio, OpenCloseAndIsOpenRadioShowTheRadiosState) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  EXPECT_EQ(Shown(IsOpenRadio), L"0 (0H)");
  EXPECT_EQ(Shown(OpenRadio), L"1 (1H)");
  EXPECT_EQ(Device("parallel.radioOff"), "0");
  EXPECT_EQ(Shown(IsOpenRadio), L"1 (1H)");
  EXPECT_EQ(Shown(CloseRadio), L"1 (1H)");
  EXPECT_EQ(Device("parallel.radioOff"), "1");
  EXPECT_EQ(Shown(IsOpenRadio), L"0 (0H)");
}

TEST_F(Radio, SetChannelSendsTheInitialBandAndFrequencyToTheTuner) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  Shown(OpenRadio);
  EXPECT_EQ(Shown(SetChannel), L"1 (1H)");
  EXPECT_EQ(Device("tuner.0x28"), "DA 2A 8E 70") << "FM 98.90 MHz: divisor 0x2ADA";
  EXPECT_EQ(Device("tuner.0x29"), "C3 80 C9 01");
}

TEST_F(Radio, AnyBandOtherThanZeroTunesAm) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  Shown(OpenRadio);
  panel->SetText(L"txtChannel", L"810");
  for (const wchar_t* band : {L"7", L"-1"}) {
    panel->SetText(L"txtParam1", band);
    EXPECT_EQ(Shown(SetChannel), L"1 (1H)");
    EXPECT_EQ(Device("tuner.0x28"), "5A 2D BD 52") << "AM 810 kHz: divisor 0x2D5A, band " << Narrow(band);
    EXPECT_EQ(Device("tuner.0x29"), "C3 82 CA 03");
  }
}

// The simulated air carries FM 93.50 MHz in stereo, FM 98.90 MHz in mono and AM 810 kHz.
TEST_F(Radio, ChannelDetectAndStereoReportTheTunedStation) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  Shown(OpenRadio);
  Shown(SetChannel);
  EXPECT_EQ(Shown(GetChannelDetectState), L"1 (1H)") << "98.90 MHz";
  EXPECT_EQ(Shown(GetFmStereoState), L"0 (0H)") << "98.90 MHz is mono";
  panel->SetText(L"txtChannel", L"9350");
  Shown(SetChannel);
  EXPECT_EQ(Shown(GetChannelDetectState), L"1 (1H)") << "93.50 MHz";
  EXPECT_EQ(Shown(GetFmStereoState), L"1 (1H)") << "93.50 MHz is stereo";
  panel->SetText(L"txtChannel", L"9500");
  Shown(SetChannel);
  EXPECT_EQ(Shown(GetChannelDetectState), L"0 (0H)") << "nothing on 95.00 MHz";
}

TEST_F(Radio, ChannelDetectCountsOnTheBandOfItsField) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Shown(OpenTARVEN);
  Shown(OpenRadio);
  panel->SetText(L"txtChannelDetect", L"1");
  Shown(GetChannelDetectState);
  EXPECT_EQ(Device("tuner.0x29"), "C3 83 CA 03") << "AM counting mode";
  panel->SetText(L"txtChannelDetect", L"0");
  Shown(GetChannelDetectState);
  EXPECT_EQ(Device("tuner.0x29"), "C3 C1 C9 01") << "FM counting mode";
}

// ---- fields that do not convert ----

using BadField = PanelTest;

TEST_F(BadField, StopsThePressBeforeAnyCallNamesTheFieldAndKeepsTheLabel) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_EQ(Shown(OpenTARVEN), L"0 (0H)");
  const auto before = panel->DeviceReport();
  struct Case {
    const wchar_t* field;
    const wchar_t* text;
  };
  for (const Case c : {Case{L"txtNight", L"abc"}, Case{L"txtDay", L""}, Case{L"txtDay", L"3000000000"},
                       Case{L"txtNight", L"1 2"}, Case{L"txtDay", L"9.5"}}) {
    SCOPED_TRACE(Narrow(c.field) + " = \"" + Narrow(c.text) + "\"");
    panel->SetText(L"txtDay", L"2");
    panel->SetText(L"txtNight", L"7");
    panel->SetText(c.field, c.text);
    EXPECT_THAT(Refused(SetBrightness), AllOf(HasSubstr(Narrow(c.field)), HasSubstr(kAcceptedRange)));
    EXPECT_EQ(panel->Text(L"lblReturnValue"), L"0 (0H)");
    EXPECT_EQ(panel->DeviceReport(), before) << "the press reached the simulated PC";
  }
  EXPECT_TRUE(panel->Running());
}

TEST_F(BadField, WhenBothFieldsAreBadTheSecondIsNamed) {
  ASSERT_NO_FATAL_FAILURE(Start());
  panel->SetText(L"txtParam1", L"x");
  panel->SetText(L"txtChannel", L"y");
  EXPECT_THAT(Refused(SetChannel), AllOf(HasSubstr("txtChannel"), Not(HasSubstr("txtParam1"))));
  panel->SetText(L"txtDay", L"x");
  panel->SetText(L"txtNight", L"y");
  EXPECT_THAT(Refused(SetBrightness), AllOf(HasSubstr("txtNight"), Not(HasSubstr("txtDay"))));
}

TEST_F(BadField, EveryButtonThatReadsAFieldStopsOnItBeforeLoadingTheLibrary) {
  ASSERT_NO_FATAL_FAILURE(Start());
  struct Case {
    const wchar_t* button;
    const wchar_t* field;
  };
  for (const Case c : {Case{SetChannel, L"txtParam1"}, Case{SetChannel, L"txtChannel"},
                       Case{SetBrightness, L"txtDay"}, Case{GetFwVersion, L"txtFWParam"},
                       Case{GetDeviceStatus, L"txtDevice"}, Case{GetChannelDetectState, L"txtChannelDetect"}}) {
    SCOPED_TRACE(Narrow(c.field));
    const std::wstring good = panel->Text(c.field);
    panel->SetText(c.field, L"-2147483649");
    EXPECT_THAT(Refused(c.button), HasSubstr(Narrow(c.field)));
    panel->SetText(c.field, good);
  }
  EXPECT_EQ(panel->Text(L"lblReturnValue"), L"");
  EXPECT_FALSE(panel->HasLoaded(kLibrary));
}

// ---- a library that cannot be bound ----

using Binding = PanelTest;

TEST_F(Binding, AMissingLibraryIsReportedAndOneInTheCurrentDirectoryIsNotLoaded) {
  LoneFolder folder;
  const std::wstring lonePanel = folder.Copy(panelProgram, L"SamplePanel.exe");
  // The current directory holds a TarvenK3Cmd.dll; the panel must not take it.
  ASSERT_NO_FATAL_FAILURE(StartIn(lonePanel, panelFolder));
  for (int press = 0; press < 2; ++press) {
    EXPECT_THAT(Refused(OpenTARVEN), HasSubstr(Narrow(kLibrary)));
    EXPECT_EQ(panel->Text(L"lblReturnValue"), L"");
    EXPECT_TRUE(panel->Running());
  }
  EXPECT_FALSE(panel->HasLoaded(kLibrary));
  EXPECT_TRUE(panel->DeviceReport().empty()) << "something reached the simulated PC";
  panel->Close();
  panel.reset();
}

TEST_F(Binding, AMissingEntryPointIsReportedAndTriedAgainOnTheNextPress) {
  LoneFolder folder;
  const std::wstring lonePanel = folder.Copy(panelProgram, L"SamplePanel.exe");
  // A DLL of the right file name without the library's functions.
  folder.Copy(panelFolder + L"IO.dll", kLibrary);
  ASSERT_NO_FATAL_FAILURE(StartIn(lonePanel, panelFolder));
  for (int press = 0; press < 2; ++press) {
    EXPECT_THAT(Refused(OpenTARVEN), AllOf(HasSubstr(Narrow(kLibrary)), HasSubstr("_tcx_OpenTARVEN@0")));
    EXPECT_EQ(panel->Text(L"lblReturnValue"), L"");
    EXPECT_TRUE(panel->Running());
  }
  panel->Close();
  panel.reset();
}

// The screenshot for people to look at: the panel after a few presses.
static bool SaveShowcase(const std::wstring& path) {
  RemotePanel showcase(panelProgram, panelFolder);
  if (!showcase.StartError().empty()) return false;
  showcase.Press(OpenTARVEN);
  showcase.Press(SetBrightness);
  return showcase.SaveScreenshot(path);
}

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // every line reaches the log, even if the run is cut off
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: panel_ui_test PATH\\SamplePanel.exe [SCREENSHOT.bmp] [gtest options]\n");
    return 2;
  }
  panelProgram = FullPath(argv[1]);
  panelFolder = panelProgram.substr(0, panelProgram.find_last_of(L"\\/") + 1);
  int result = RUN_ALL_TESTS();
  if (argc >= 3 && !SaveShowcase(FullPath(argv[2]))) {
    std::fprintf(stderr, "the screenshot could not be saved\n");
    result = 1;
  }
  return result;
}
