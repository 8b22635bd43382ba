// The panel window frmSampleApp and its 29 controls as designed: names, kinds, captions and
// places in twips (1/1440 inch), listed in tab order. Nothing moves or resizes at run time.
#pragma once

#include <cstddef>

enum class ControlKind { Button, TextField, Label };

struct ControlLayout {
  const wchar_t* name;  // Command9, txtChannel, Label1, lblReturnValue, ...
  ControlKind kind;
  const wchar_t* text;  // caption or initial text
  int left, top, width, height;  // twips, from the top-left corner of the client area
};

constexpr wchar_t kWindowTitle[] = L"TarVen K3 Sample App (ZQ)";
constexpr int kClientWidthTwips = 10950;
constexpr int kClientHeightTwips = 4170;

extern const ControlLayout kControls[29];
constexpr std::size_t kControlCount = sizeof(kControls) / sizeof(kControls[0]);

// Index of the named control in kControls; -1 when there is none.
int ControlIndex(const wchar_t* name);

// A length in twips as pixels of a device with dotsPerInch (15 twips a pixel at 96 DPI),
// rounded to the nearest pixel.
int TwipsToPixels(int twips, int dotsPerInch);
