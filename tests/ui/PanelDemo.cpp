// The demo's scripted sequence: starts the panel against the simulated unit, presses a few
// buttons as a user would, prints what each showed, and saves a screenshot of the window.
//   panel_demo.exe PATH\SamplePanel.exe SCREENSHOT.bmp
#include <windows.h>

#include <cstdio>
#include <string>

#include "PanelRemote.h"

namespace {

struct Step {
  const wchar_t* button;
  const wchar_t* caption;
  const wchar_t* field;  // a field to fill first, or nullptr
  const wchar_t* text;
};

const Step kSteps[] = {
    {L"Command1", L"OpenTARVEN", nullptr, nullptr},
    {L"Command3", L"IsOpenTARVEN", nullptr, nullptr},
    {L"Command4", L"OpenRadio", nullptr, nullptr},
    {L"Command9", L"Set Channel", L"txtChannel", L"9350"},
    {L"Command16", L"Get Channel Detect State", nullptr, nullptr},
    {L"Command15", L"Get FM Stereo State", nullptr, nullptr},
    {L"Command12", L"Set Brightness", nullptr, nullptr},
    {L"Command13", L"Get FW Version", nullptr, nullptr},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: panel_demo PATH\\SamplePanel.exe SCREENSHOT.bmp\n");
    return 2;
  }
  const std::wstring program = FullPath(argv[1]);
  RemotePanel panel(program, program.substr(0, program.find_last_of(L"\\/") + 1));
  if (!panel.StartError().empty()) {
    std::fwprintf(stderr, L"%ls\n", panel.StartError().c_str());
    return 1;
  }
  for (const Step& step : kSteps) {
    if (step.field) {
      panel.SetText(step.field, step.text);
      std::wprintf(L"  %ls := %ls\n", step.field, step.text);
    }
    const PressOutcome outcome = panel.Press(step.button);
    std::wstring shown = outcome.report.empty() ? panel.Text(L"lblReturnValue") : L"report: " + outcome.report;
    for (wchar_t& c : shown)
      if (c == L'\n') c = L' ';
    std::wprintf(L"%-26ls -> %ls\n", step.caption, shown.c_str());
    std::fflush(stdout);
  }
  const bool saved = panel.SaveScreenshot(FullPath(argv[2]));
  panel.Close();
  return saved ? 0 : 1;
}
