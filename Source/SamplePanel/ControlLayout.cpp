#include "ControlLayout.h"

#include <cwchar>

namespace {

constexpr int kTwipsPerInch = 1440;

constexpr ControlKind Button = ControlKind::Button;
constexpr ControlKind TextField = ControlKind::TextField;
constexpr ControlKind Label = ControlKind::Label;

}  // namespace

// Captions overlap the field below them by 15 twips, as designed ("Night" stands above txtDay
// and "Day" above txtNight).
const ControlLayout kControls[29] = {
    {L"Command1", Button, L"OpenTARVEN", 240, 120, 1215, 495},
    {L"Command2", Button, L"CloseTARVEN", 1560, 120, 1215, 495},
    {L"Command3", Button, L"IsOpenTARVEN", 2880, 120, 1215, 495},
    {L"Command4", Button, L"OpenRadio", 240, 720, 1215, 495},
    {L"Command5", Button, L"CloseRadio", 1560, 720, 1215, 495},
    {L"Command6", Button, L"IsOpenRadio", 2880, 720, 1215, 495},
    {L"Command9", Button, L"Set Channel", 240, 2040, 1215, 495},
    {L"txtChannel", TextField, L"9890", 240, 3600, 1215, 375},
    {L"Label1", Label, L"FM: 93.5 MHz = 9350    AM 810kHz = 810", 1680, 3720, 3375, 255},
    {L"Label2", Label, L"Return Value:", 4560, 120, 3495, 255},
    {L"lblReturnValue", Label, L"", 4560, 360, 6015, 375},
    {L"Command10", Button, L"Tilt Up", 4560, 1080, 1215, 495},
    {L"Command11", Button, L"Tilt Down", 5880, 1080, 1215, 495},
    {L"txtParam1", TextField, L"0", 240, 2880, 1215, 375},
    {L"Command12", Button, L"Set Brightness", 4560, 1800, 1215, 495},
    {L"txtDay", TextField, L"2", 6000, 1920, 855, 375},
    {L"Label3", Label, L"Day", 7080, 1680, 855, 255},
    {L"txtNight", TextField, L"7", 7080, 1920, 855, 375},
    {L"Label4", Label, L"Night", 6000, 1680, 855, 255},
    {L"Command13", Button, L"Get FW Version", 8520, 1200, 1215, 495},
    {L"Command14", Button, L"Get Device Status", 8520, 1800, 1215, 495},
    {L"txtDevice", TextField, L"0", 9840, 1920, 855, 375},
    {L"Command15", Button, L"Get FM Stereo State", 240, 1320, 1215, 495},
    {L"Label5", Label, L"0 for FM, 1 for AM", 1680, 3000, 1575, 255},
    {L"Label6", Label, L"Frequency", 240, 3360, 855, 255},
    {L"txtFWParam", TextField, L"0", 9840, 1320, 855, 375},
    {L"Command16", Button, L"Get Channel Detect State", 1560, 1320, 1215, 495},
    {L"txtChannelDetect", TextField, L"0", 2880, 1440, 855, 375},
    {L"Label7", Label, L"Band", 240, 2640, 855, 255},
};

int ControlIndex(const wchar_t* name) {
  for (std::size_t i = 0; i < kControlCount; ++i)
    if (std::wcscmp(kControls[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

int TwipsToPixels(int twips, int dotsPerInch) {
  return (twips * dotsPerInch + kTwipsPerInch / 2) / kTwipsPerInch;
}
