// The simulator's window driven from outside: a change made through its controls reaches the
// next call of every program on the PC (this program through the library, k3ctl.exe as a
// third), and the window shows what the programs did.
//   sim_ui_test.exe PATH\TarvenK3Sim.exe [SCREENSHOT.bmp] [gtest options]
// The window's folder holds k3ctl.exe, TarvenK3Cmd.dll and the stand-in IO.dll and TarVenCOM.dll;
// so does this program's, whose calls join the window's PC as any program's do.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "PanelRemote.h"
#include "SimWindowIds.h"
#include "TarvenK3Binder.h"

using ::testing::HasSubstr;

namespace {

std::wstring simProgram, simFolder, screenshot;
std::unique_ptr<RemotePanel> window;
TcxEntryPoints library;

std::string Shown(int id) { return Narrow(window->Text(GetDlgItem(window->Window(), id))); }

// The row of a setting: its Set button pressed with value in its field.
void SetRow(const char* key, const std::wstring& value) {
  for (int id = kIdSettingBase;; id += 3) {
    const HWND label = GetDlgItem(window->Window(), id);
    ASSERT_TRUE(label) << "no row " << key;
    if (Narrow(window->Text(label)) != key) continue;
    // Typed as a person types it: the window keeps a typed field until Set. A refresh may
    // rewrite the field before the first key lands, so it is typed again until it reads right.
    const HWND field = GetDlgItem(window->Window(), id + 1);
    for (int attempt = 0; attempt < 5; ++attempt) {
      SendMessageW(field, EM_SETSEL, 0, -1);
      for (wchar_t c : value) SendMessageW(field, WM_CHAR, c, 0);
      if (window->Text(field) == value) break;
    }
    SendMessageW(GetDlgItem(window->Window(), id + 2), BM_CLICK, 0, 0);
    return;
  }
}

void Click(int id) { SendMessageW(GetDlgItem(window->Window(), id), BM_CLICK, 0, 0); }

// k3ctl.exe's exit code for arguments, run from the window's folder.
DWORD K3ctl(const std::wstring& arguments) {
  std::wstring command = L"\"" + simFolder + L"\\k3ctl.exe\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, simFolder.c_str(), &startup,
                      &process))
    return 0xFFFF;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0xFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// The open result after the unit is closed and opened again.
int Reopened() {
  library.CloseTARVEN();
  return library.OpenTARVEN();
}

class SimWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    window = std::make_unique<RemotePanel>(simProgram, simFolder, RemotePanel::Settings{}, kSimWindowTitle);
    HMODULE loaded = TcxLoadLibrary();
    TcxFunction missing;
    ASSERT_TRUE(loaded && TcxBindAll(loaded, &library, &missing));
  }
  static void TearDownTestSuite() {
    library.CloseTARVEN();
    window.reset();
  }
  void SetUp() override { ASSERT_EQ(window->StartError(), L""); }
  // Every case starts from the PC's defaults.
  void TearDown() override {
    for (const auto& [key, value] : {std::pair{"unit", L"present"}, {"port_access", L"granted"},
                                     {"stations", L"FM:9350:stereo,FM:9890,AM:810"}, {"devstatus", L"ok"}})
      SetRow(key, value);
  }
};

TEST_F(SimWindow, ItsChangesReachTheNextCallOfEveryProgram) {
  struct Case {
    const char* change;
    std::function<void()> make;
    std::function<void()> check;
  };
  const Case cases[] = {
      {"unit disconnected", [] { Click(kIdUnitConnected); },
       [] {
         EXPECT_EQ(Reopened(), TCX_OPEN_UNIT_UNAVAILABLE);
         EXPECT_EQ(K3ctl(L"info"), 3u);
       }},
      {"port access denied", [] { Click(kIdPortAccess); },
       [] { EXPECT_EQ(Reopened(), TCX_OPEN_PORT_IO_UNAVAILABLE); }},
      {"93.50 MHz off the air", [] { SetRow("stations", L"FM:9890,AM:810"); },
       [] {
         EXPECT_EQ(K3ctl(L"radio detect 93.50MHz"), 1u);
         EXPECT_EQ(K3ctl(L"radio detect 98.90MHz"), 0u);
       }},
      {"the next status read fails", [] { SetRow("devstatus", L"next:1"); },
       [] {
         unsigned char status[3];
         EXPECT_EQ(Reopened(), 0);
         EXPECT_EQ(library.GetDevStatus(status), 0);
         EXPECT_NE(library.GetDevStatus(status), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    ASSERT_EQ(Reopened(), 0);
    c.make();
    c.check();
    TearDown();
  }
}

TEST_F(SimWindow, ShowsWhatTheProgramsDid) {
  ASSERT_EQ(Reopened(), 0);
  ASSERT_NE(library.SetMonitorBrightness(11, 6), 0);
  ASSERT_NE(library.TiltUp(2), 0);
  ASSERT_NE(library.OpenRadio(), 0);
  library.SetChannelRadio(TCX_BAND_FM, 9350);
  ASSERT_NE(library.GetChannelDetectState(TCX_BAND_FM), 0);
  Sleep(1000);  // four refreshes
  EXPECT_THAT(Shown(kIdMonitorText), HasSubstr("tilt 7, day 11, night 6"));
  EXPECT_THAT(Shown(kIdRadioText), HasSubstr("on, FM 93.50 MHz, station, stereo"));
  EXPECT_THAT(Shown(kIdPcText), HasSubstr("sim_ui_test.exe (pid " + std::to_string(GetCurrentProcessId()) +
                                          "): 1 unit handle, port I/O"));
  const HWND log = GetDlgItem(window->Window(), kIdLog);
  std::string lines;
  for (int i = 0; i < SendMessageW(log, LB_GETCOUNT, 0, 0); ++i) {
    wchar_t line[256] = {};
    SendMessageW(log, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
    lines += Narrow(line) + "\n";
  }
  EXPECT_THAT(lines, HasSubstr("sim_ui_test.exe  TarVen_SetMonitorBrightness(0x"));
  EXPECT_THAT(lines, HasSubstr("sim_ui_test.exe  tuner 28: BE 28 8E 70"));
  if (!screenshot.empty()) {
    EXPECT_TRUE(window->SaveScreenshot(screenshot));
  }
  library.CloseRadio();
}

TEST_F(SimWindow, RefusesAValueItCannotTakeAndKeepsTheOldOne) {
  SetRow("tilt", L"11");
  EXPECT_THAT(Shown(kIdStatusLine), HasSubstr("'11' is not a value of tilt"));
  SetRow("tilt", L"4");
  EXPECT_EQ(Shown(kIdStatusLine), "set tilt=4");
  SetRow("tilt", L"x");
  Sleep(600);
  EXPECT_THAT(Shown(kIdMonitorText), HasSubstr("tilt 4,"));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: sim_ui_test.exe PATH\\TarvenK3Sim.exe [SCREENSHOT.bmp]\n");
    return 2;
  }
  simProgram = FullPath(argv[1]);
  simFolder = simProgram.substr(0, simProgram.find_last_of(L'\\'));
  if (argc > 2) screenshot = FullPath(argv[2]);
  return RUN_ALL_TESTS();
}
