#include "UnitPicture.h"

#include <cmath>
#include <string>

#include "MonitorUnit.h"

namespace {

constexpr COLORREF kBackground = RGB(236, 236, 236);
constexpr COLORREF kCase = RGB(60, 60, 64);
constexpr COLORREF kLitSegment = RGB(255, 196, 0);
constexpr COLORREF kDarkSegment = RGB(90, 90, 90);
constexpr COLORREF kLampOn = RGB(40, 220, 60);
constexpr COLORREF kLampOff = RGB(70, 70, 70);
constexpr COLORREF kDisplayText = RGB(120, 255, 140);
constexpr int kTopLevel = sim::MonitorUnit::kMaxLevel;
constexpr int kTopTilt = sim::MonitorUnit::kTiltTopStop;

void Fill(HDC dc, RECT r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Text(HDC dc, int x, int y, const std::wstring& text, COLORREF color) {
  SetTextColor(dc, color);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A backlight level as a bar of kTopLevel segments, level of them lit.
void LevelBar(HDC dc, int x, int y, const wchar_t* name, int level) {
  Text(dc, x, y - 1, name, RGB(0, 0, 0));
  for (int i = 0; i < kTopLevel; ++i)
    Fill(dc, {x + 44 + i * 9, y, x + 51 + i * 9, y + 12}, i < level ? kLitSegment : kDarkSegment);
  Text(dc, x + 44 + kTopLevel * 9 + 4, y - 1, std::to_wstring(level), RGB(0, 0, 0));
}

// The screen from the front: lit in proportion to the day level, dark without the unit.
void Front(HDC dc, int x, int y, const sim::PcState& s, bool present) {
  Fill(dc, {x - 8, y - 8, x + 208, y + 128}, kCase);
  const int light = present ? 30 + 225 * s.day / kTopLevel : 8;
  Fill(dc, {x, y, x + 200, y + 120}, RGB(light * 8 / 10, light * 9 / 10, light));
  Text(dc, x + 8, y + 8, present ? L"day level " + std::to_wstring(s.day) : L"unit disconnected",
       light > 140 ? RGB(0, 0, 0) : RGB(255, 255, 255));
  Fill(dc, {x + 80, y + 128, x + 120, y + 150}, kCase);  // the stand
  Fill(dc, {x + 40, y + 150, x + 160, y + 158}, kCase);
}

// The unit from the side: the screen leans back and forth about its hinge, with its end stops
// drawn as thin lines.
void Side(HDC dc, int x, int y, int tilt) {
  const double kDegreesPerStep = 4.0, kPi = 3.14159265358979;
  auto line = [&](double degrees, int width, COLORREF color) {
    const double a = degrees * kPi / 180.0;
    HPEN pen = CreatePen(PS_SOLID, width, color);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x - static_cast<int>(70 * std::sin(a)), y - static_cast<int>(70 * std::cos(a)), nullptr);
    LineTo(dc, x + static_cast<int>(50 * std::sin(a)), y + static_cast<int>(50 * std::cos(a)));
    SelectObject(dc, old);
    DeleteObject(pen);
  };
  for (const int stop : {0, kTopTilt}) line((stop - kTopTilt / 2) * kDegreesPerStep, 1, RGB(160, 160, 160));
  line((tilt - kTopTilt / 2) * kDegreesPerStep, 6, kCase);
  Fill(dc, {x - 4, y, x + 4, y + 76}, kCase);
  Fill(dc, {x - 30, y + 76, x + 30, y + 84}, kCase);
  Text(dc, x - 30, y + 90, L"tilt " + std::to_wstring(tilt) + L" of 0-" + std::to_wstring(kTopTilt), RGB(0, 0, 0));
}

void Lamp(HDC dc, int x, int y, const wchar_t* name, bool on) {
  HBRUSH brush = CreateSolidBrush(on ? kLampOn : kLampOff);
  HGDIOBJ old = SelectObject(dc, brush);
  Ellipse(dc, x, y, x + 12, y + 12);
  SelectObject(dc, old);
  DeleteObject(brush);
  Text(dc, x + 16, y - 1, name, RGB(0, 0, 0));
}

// The radio's display: band and frequency while it is on, with its station and stereo lamps.
void Radio(HDC dc, int x, int y, const sim::PcState& s) {
  Fill(dc, {x, y, x + 200, y + 26}, RGB(20, 30, 20));
  const std::wstring shown = s.radioOn ? Wide(sim::TunedText(s.tuning)) : L"radio off";
  Text(dc, x + 8, y + 5, shown, kDisplayText);
  Lamp(dc, x + 212, y + 1, L"station", s.radioOn && s.tuning.station);
  Lamp(dc, x + 290, y + 1, L"stereo", s.radioOn && s.tuning.stereo);
}

}  // namespace

void DrawUnit(HDC dc, const RECT& rect, const sim::PcState& state, bool unitPresent) {
  Fill(dc, rect, kBackground);
  const int x = rect.left + 20, y = rect.top + 18;
  Front(dc, x, y, state, unitPresent);
  Side(dc, x + 290, y + 60, state.tilt);
  LevelBar(dc, x, y + 170, L"day", state.day);
  LevelBar(dc, x, y + 188, L"night", state.night);
  Radio(dc, x, y + 212, state);
}
