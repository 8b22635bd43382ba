// The sample control panel: one window, frmSampleApp, whose buttons each call one function of
// TarvenK3Cmd.dll and show the value it returned. The controls are created from the layout
// table and the presses dispatched through the button table; nothing runs on its own.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "ButtonActions.h"
#include "ControlLayout.h"
#include "LibraryBinding.h"
#include "MessageText.h"
#include "NumberText.h"

namespace {

constexpr wchar_t kWindowClass[] = L"frmSampleApp";
// A fixed layout: no sizing border, no maximise box.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kFirstControlId = 100;  // the control at index i of kControls has id 100 + i
constexpr std::size_t kLongestTextQuoted = 40;

LibraryBinding library;
HWND focusWhenDeactivated = nullptr;
HFONT controlFont = nullptr;

// The controls' font: MS Sans Serif at 8 points, the classic face of forms laid out in twips,
// which every Windows has. Its captions fit the designed button sizes where wider faces do not.
HFONT CreateControlFont(int dotsPerInchY) {
  return CreateFontW(-MulDiv(8, dotsPerInchY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                     L"MS Sans Serif");
}

struct Dpi {
  int x, y;
};

Dpi ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const Dpi dpi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
  return dpi;
}

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return {L"Button", BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, 0};
    case ControlKind::TextField: return {L"Edit", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Label: return {L"Static", SS_LEFT | SS_NOPREFIX, 0};
  }
  return {};
}

bool CreateControls(HWND window, HINSTANCE instance) {
  const Dpi dpi = ScreenDpi();
  controlFont = CreateControlFont(dpi.y);
  const auto font = reinterpret_cast<WPARAM>(controlFont ? controlFont : GetStockObject(DEFAULT_GUI_FONT));
  for (std::size_t i = 0; i < kControlCount; ++i) {
    const ControlLayout& c = kControls[i];
    const ControlClass k = ClassOf(c.kind);
    const HWND control = CreateWindowExW(
        k.exStyle, k.name, c.text, WS_CHILD | WS_VISIBLE | k.style, TwipsToPixels(c.left, dpi.x),
        TwipsToPixels(c.top, dpi.y), TwipsToPixels(c.width, dpi.x), TwipsToPixels(c.height, dpi.y),
        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance, nullptr);
    if (!control) return false;
    SendMessageW(control, WM_SETFONT, font, FALSE);
  }
  return true;
}

HWND Control(HWND window, const wchar_t* name) {
  return GetDlgItem(window, kFirstControlId + ControlIndex(name));
}

// A control's whole text, however long the user made it.
class ControlText {
 public:
  ControlText() = default;
  explicit ControlText(HWND control) {
    const int capacity = GetWindowTextLengthW(control) + 1;
    text_ = static_cast<wchar_t*>(std::calloc(capacity, sizeof(wchar_t)));
    if (text_) length_ = GetWindowTextW(control, text_, capacity);
  }
  ~ControlText() { std::free(text_); }
  ControlText(const ControlText&) = delete;
  ControlText& operator=(ControlText&& other) {
    std::swap(text_, other.text_);
    std::swap(length_, other.length_);
    return *this;
  }
  std::wstring_view View() const { return {text_ ? text_ : L"", static_cast<std::size_t>(length_)}; }

 private:
  wchar_t* text_ = nullptr;
  int length_ = 0;
};

void Report(HWND window, const MessageText& what) {
  MessageBoxW(window, what.c_str(), kWindowTitle, MB_OK | MB_ICONWARNING);
}

void ReportField(HWND window, const wchar_t* field, std::wstring_view text) {
  wchar_t quoted[kLongestTextQuoted + 4] = {};
  const std::size_t shown = text.size() > kLongestTextQuoted ? kLongestTextQuoted : text.size();
  text.copy(quoted, shown);
  if (shown < text.size()) quoted[shown] = quoted[shown + 1] = quoted[shown + 2] = L'.';
  MessageText message;
  message << L"The text of " << field << L", \"" << quoted
          << L"\", is not a whole number from -2147483648 to 2147483647.\n\nNothing was called.";
  Report(window, message);
}

// One press: read the fields, convert them, bind the entry point, call it, show its value.
// A field that does not convert or a library that cannot be bound stops the press before any
// call and leaves the result label as it was.
void Press(HWND window, const ButtonAction& action) {
  ControlText texts[2];
  for (int i = 0; i < 2; ++i)
    if (action.fields[i]) texts[i] = ControlText(Control(window, action.fields[i]));

  // The second field is converted before the first, so when both are bad the second is named.
  std::int32_t numbers[2] = {};
  for (int i = 1; i >= 0; --i) {
    if (!action.fields[i]) continue;
    const auto number = FieldNumber(texts[i].View());
    if (!number) {
      ReportField(window, action.fields[i], texts[i].View());
      return;
    }
    numbers[i] = *number;
  }

  MessageText error;
  const TcxEntryPoints* entries = library.Bind(action.function, error);
  if (!entries) {
    Report(window, error);
    return;
  }

  SetWindowTextW(Control(window, L"lblReturnValue"), ReturnValueText(action.call(*entries, numbers)).text);
}

void PressControl(HWND window, int id) {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(kControlCount)) return;
  if (const ButtonAction* action = FindButtonAction(kControls[index].name)) Press(window, *action);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return CreateControls(window, reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance) ? 0 : -1;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) PressControl(window, LOWORD(wParam));
      return 0;
    case WM_ACTIVATE:
      // Keyboard focus returns to the control that had it, starting on the first button.
      if (LOWORD(wParam) == WA_INACTIVE) focusWhenDeactivated = GetFocus();
      break;
    case WM_SETFOCUS:
      SetFocus(focusWhenDeactivated && IsChild(window, focusWhenDeactivated)
                   ? focusWhenDeactivated
                   : GetNextDlgTabItem(window, nullptr, FALSE));
      return 0;
    case WM_DESTROY:
      if (controlFont) DeleteObject(controlFont);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  InitCommonControls();

  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass)) return 1;

  const Dpi dpi = ScreenDpi();
  RECT frame = {0, 0, TwipsToPixels(kClientWidthTwips, dpi.x), TwipsToPixels(kClientHeightTwips, dpi.y)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  const HWND window = CreateWindowExW(0, kWindowClass, kWindowTitle, kWindowStyle, CW_USEDEFAULT,
                                      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                      nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;  // Tab moves focus in tab order
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
