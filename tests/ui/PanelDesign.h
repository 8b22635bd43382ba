// The sample panel as its users see it at 96 DPI: the window's title and client size, and its
// 29 controls in tab order with the class, text and place in pixels each must have.
#pragma once

#include <cstddef>

struct DesignedControl {
  const wchar_t* name;
  const wchar_t* windowClass;
  const wchar_t* text;
  int left, top, width, height;  // pixels at 96 DPI, in the window's client area
};

constexpr wchar_t kPanelTitle[] = L"TarVen K3 Sample App (ZQ)";
constexpr int kPanelClientWidth = 730;
constexpr int kPanelClientHeight = 278;
constexpr int kDesignDpi = 96;

constexpr DesignedControl kDesignedControls[] = {
    {L"Command1", L"Button", L"OpenTARVEN", 16, 8, 81, 33},
    {L"Command2", L"Button", L"CloseTARVEN", 104, 8, 81, 33},
    {L"Command3", L"Button", L"IsOpenTARVEN", 192, 8, 81, 33},
    {L"Command4", L"Button", L"OpenRadio", 16, 48, 81, 33},
    {L"Command5", L"Button", L"CloseRadio", 104, 48, 81, 33},
    {L"Command6", L"Button", L"IsOpenRadio", 192, 48, 81, 33},
    {L"Command9", L"Button", L"Set Channel", 16, 136, 81, 33},
    {L"txtChannel", L"Edit", L"9890", 16, 240, 81, 25},
    {L"Label1", L"Static", L"FM: 93.5 MHz = 9350    AM 810kHz = 810", 112, 248, 225, 17},
    {L"Label2", L"Static", L"Return Value:", 304, 8, 233, 17},
    {L"lblReturnValue", L"Static", L"", 304, 24, 401, 25},
    {L"Command10", L"Button", L"Tilt Up", 304, 72, 81, 33},
    {L"Command11", L"Button", L"Tilt Down", 392, 72, 81, 33},
    {L"txtParam1", L"Edit", L"0", 16, 192, 81, 25},
    {L"Command12", L"Button", L"Set Brightness", 304, 120, 81, 33},
    {L"txtDay", L"Edit", L"2", 400, 128, 57, 25},
    {L"Label3", L"Static", L"Day", 472, 112, 57, 17},
    {L"txtNight", L"Edit", L"7", 472, 128, 57, 25},
    {L"Label4", L"Static", L"Night", 400, 112, 57, 17},
    {L"Command13", L"Button", L"Get FW Version", 568, 80, 81, 33},
    {L"Command14", L"Button", L"Get Device Status", 568, 120, 81, 33},
    {L"txtDevice", L"Edit", L"0", 656, 128, 57, 25},
    {L"Command15", L"Button", L"Get FM Stereo State", 16, 88, 81, 33},
    {L"Label5", L"Static", L"0 for FM, 1 for AM", 112, 200, 105, 17},
    {L"Label6", L"Static", L"Frequency", 16, 224, 57, 17},
    {L"txtFWParam", L"Edit", L"0", 656, 88, 57, 25},
    {L"Command16", L"Button", L"Get Channel Detect State", 104, 88, 81, 33},
    {L"txtChannelDetect", L"Edit", L"0", 192, 96, 57, 25},
    {L"Label7", L"Static", L"Band", 16, 176, 57, 17},
};
constexpr std::size_t kDesignedControlCount = sizeof(kDesignedControls) / sizeof(kDesignedControls[0]);
