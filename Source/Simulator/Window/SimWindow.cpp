// The window: the simulated PC drawn and described on the left, the call log below, and on the
// right one row per setting a running PC takes (its key, its value now, a Set button) with two
// check boxes for the commonest changes. A change from the window goes through the same
// settings as `TarvenK3Sim.exe set` and holds from every program's next call. Four times a
// second the window reads the PC again, under the lock the programs' calls hold.
#include "SimWindow.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "PcState.h"
#include "Settings.h"
#include "SimWindowIds.h"
#include "Simulator.h"
#include "UnitPicture.h"

namespace {

constexpr wchar_t kPictureClass[] = L"TarvenK3SimPicture";
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 250;
constexpr int kRowHeight = 26;

sim::SimulatedPc pc;  // joined to the shared PC for the life of the window
sim::PcState shown;   // what the window shows now
std::vector<const sim::Setting*> rows;
HWND window = nullptr;
HFONT font = nullptr;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetText(int id, const std::wstring& text) {
  HWND control = GetDlgItem(window, id);
  if (TextOf(control) != text) SetWindowTextW(control, text.c_str());
}

HWND Add(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h, DWORD ex = 0) {
  HWND control = CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return control;
}

std::string Value(const std::string& key) {
  for (const auto& [k, v] : shown.settings)
    if (k == key) return v;
  return {};
}

std::wstring MonitorText() {
  return Wide("unit " + Value("unit") + ", model " + Value("model") + ", firmware " + Value("firmware") +
              ", tilt " + std::to_string(shown.tilt) + ", day " + std::to_string(shown.day) + ", night " +
              std::to_string(shown.night) + "\r\nstatus word,flags " + Value("status") + "; info reads " +
              Value("devinfo") + ", status reads " + Value("devstatus"));
}

std::wstring RadioText() { return Wide("radio: " + sim::RadioText(shown) + "; tuner " + Value("tuner")); }

std::wstring PcText() {
  std::string text = "port access " + Value("port_access") + "; unit handles open: " +
                     std::to_string(shown.openHandles) + "; unit lock " + (shown.unitLockHeld ? "held" : "free");
  if (shown.unitLockHeld && !shown.calls.empty()) text += std::string(" (by ") + shown.calls.back().program + ")";
  if (shown.programs.empty()) text += "\r\nno program uses the unit";
  for (const sim::ProgramRecord& p : shown.programs)
    text += "\r\n" + sim::ProgramText(p);
  return Wide(text);
}

void ShowLog() {
  HWND log = GetDlgItem(window, kIdLog);
  std::vector<std::wstring> lines;
  for (const sim::CallRecord& call : shown.calls)
    lines.push_back(Wide(sim::TimeOfDay(call.atMs) + "  " + call.program + "  " + call.text));
  const int count = static_cast<int>(SendMessageW(log, LB_GETCOUNT, 0, 0));
  bool same = count == static_cast<int>(lines.size());
  for (int i = 0; same && i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(log, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    item.resize(static_cast<std::size_t>(SendMessageW(log, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
    same = item == lines[static_cast<std::size_t>(i)];
  }
  if (same) return;
  SendMessageW(log, WM_SETREDRAW, FALSE, 0);
  SendMessageW(log, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& line : lines) SendMessageW(log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageW(log, LB_SETTOPINDEX, lines.empty() ? 0 : lines.size() - 1, 0);
  SendMessageW(log, WM_SETREDRAW, TRUE, 0);
}

// Reads the PC again and shows it; a value field the user is typing in keeps what they typed.
void Refresh() {
  const bool loaded = pc.BeginCall();
  shown = sim::StateOf(pc);
  pc.EndCall(loaded);
  SetText(kIdMonitorText, MonitorText());
  SetText(kIdRadioText, RadioText());
  SetText(kIdPcText, PcText());
  CheckDlgButton(window, kIdUnitConnected, Value("unit") == "present" ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window, kIdPortAccess, Value("port_access") == "granted" ? BST_CHECKED : BST_UNCHECKED);
  // A field the user has typed in (its modify flag) keeps its text until its Set is pressed: a
  // press moves the focus to the button, so the focus alone does not say what the user typed.
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const int id = kIdSettingBase + 3 * static_cast<int>(row) + 1;
    if (!SendDlgItemMessageW(window, id, EM_GETMODIFY, 0, 0)) SetText(id, Wide(Value(sim::KeyOf(*rows[row]))));
  }
  ShowLog();
  InvalidateRect(GetDlgItem(window, kIdPicture), nullptr, FALSE);
}

// A change from the window: what the status line then says, and the PC shown again.
void Change(const std::string& assignment) {
  std::string error;
  const bool loaded = pc.BeginCall();
  const bool done = sim::SetKeys(pc, {assignment}, &error);
  if (done) pc.Record("window: set " + assignment);
  pc.EndCall(loaded);
  SetText(kIdStatusLine, Wide(done ? "set " + assignment : error));
  Refresh();
}

void CreateControls() {
  Add(kPictureClass, L"", 0, kIdPicture, 10, 10, 390, 262, WS_EX_CLIENTEDGE);
  Add(L"Static", L"", SS_LEFT | SS_NOPREFIX, kIdMonitorText, 10, 278, 390, 32);
  Add(L"Static", L"", SS_LEFT | SS_NOPREFIX, kIdRadioText, 10, 312, 390, 18);
  Add(L"Static", L"", SS_LEFT | SS_NOPREFIX, kIdPcText, 10, 332, 390, 76);
  Add(L"Button", L"Unit connected", BS_AUTOCHECKBOX | WS_TABSTOP, kIdUnitConnected, 412, 10, 150, 20);
  Add(L"Button", L"Port access granted", BS_AUTOCHECKBOX | WS_TABSTOP, kIdPortAccess, 570, 10, 170, 20);
  for (const sim::Setting& setting : sim::Settings())
    if (setting.show) rows.push_back(&setting);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const int id = kIdSettingBase + 3 * static_cast<int>(row), y = 40 + kRowHeight * static_cast<int>(row);
    Add(L"Static", Wide(sim::KeyOf(*rows[row])).c_str(), SS_LEFT, id, 412, y + 3, 96, 20);
    Add(L"Edit", L"", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, id + 1, 510, y, 230, 22, WS_EX_CLIENTEDGE);
    Add(L"Button", L"Set", BS_PUSHBUTTON | WS_TABSTOP, id + 2, 746, y, 50, 22);
  }
  Add(L"Static", L"", SS_LEFT | SS_NOPREFIX, kIdStatusLine, 412, 40 + kRowHeight * static_cast<int>(rows.size()) + 4,
      384, 34);
  Add(L"ListBox", L"", LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_BORDER, kIdLog, 10, 414, 786, 170);
}

void Command(int id) {
  if (id == kIdUnitConnected)
    Change(IsDlgButtonChecked(window, id) == BST_CHECKED ? "unit=present" : "unit=absent");
  else if (id == kIdPortAccess)
    Change(IsDlgButtonChecked(window, id) == BST_CHECKED ? "port_access=granted" : "port_access=denied");
  else if (id >= kIdSettingBase && (id - kIdSettingBase) % 3 == 2) {
    const std::size_t row = static_cast<std::size_t>(id - kIdSettingBase) / 3;
    if (row >= rows.size()) return;
    // The typed value is applied, and the field follows the PC again (its old value if refused).
    HWND field = GetDlgItem(window, id - 1);
    const std::string value = Narrow(TextOf(field));
    SendMessageW(field, EM_SETMODIFY, FALSE, 0);
    Change(sim::KeyOf(*rows[row]) + "=" + value);
  }
}

LRESULT CALLBACK PictureProc(HWND picture, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_PAINT) return DefWindowProcW(picture, message, w, l);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(picture, &paint);
  RECT rect;
  GetClientRect(picture, &rect);
  // Drawn off screen first, so that four refreshes a second do not flicker.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, rect.right, rect.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SelectObject(memory, font);
  DrawUnit(memory, rect, shown, Value("unit") == "present");
  BitBlt(dc, 0, 0, rect.right, rect.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(picture, &paint);
  return 0;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_CREATE:
      window = hwnd;
      CreateControls();
      Refresh();
      SetTimer(hwnd, kRefreshTimer, kRefreshMs, nullptr);
      return 0;
    case WM_TIMER: Refresh(); return 0;
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) Command(LOWORD(w));
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kRefreshTimer);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

// The PC the window holds: made from the settings of its own environment when it is the first
// to hold it, otherwise joined as it is.
bool HoldPc() {
  for (const sim::Setting& setting : sim::Settings())
    if (const char* value = setting.show ? std::getenv(setting.variable) : nullptr) setting.apply(pc, value);
  const std::string name = sim::WindowPcName();
  return sim::ShareHardwareNamed(pc, name) && sim::HoldWindowMark(name);
}

}  // namespace

int RunSimWindow() {
  if (!HoldPc()) {
    MessageBoxW(nullptr, L"The simulated PC cannot be made (no shared memory).", kSimWindowTitle, MB_ICONERROR);
    return 1;
  }
  font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW picture = {};
  picture.lpfnWndProc = PictureProc;
  picture.hInstance = instance;
  picture.lpszClassName = kPictureClass;
  RegisterClassW(&picture);
  WNDCLASSW main = {};
  main.lpfnWndProc = WindowProc;
  main.hInstance = instance;
  main.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = kSimWindowClass;
  RegisterClassW(&main);
  RECT size = {0, 0, 806, 594};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRect(&size, style, FALSE);
  CreateWindowW(kSimWindowClass, kSimWindowTitle, style | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                size.right - size.left, size.bottom - size.top, nullptr, nullptr, instance, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
