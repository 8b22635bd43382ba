// A bare window that shows how this system draws the panel's two-line captions: each caption in
// a standard push button of the panel's size (81x33 pixels at 96 DPI, BS_MULTILINE), one row per
// font. Not a test: run it on a display and look (tools/caption-probe.sh takes a screenshot).
#include <windows.h>

#include <commctrl.h>

namespace {

const wchar_t* const kCaptions[] = {L"Get FW Version", L"Get Device Status", L"Get Channel Detect State",
                                    L"Get FM Stereo State", L"IsOpenTARVEN"};
const wchar_t* const kFaces[] = {nullptr, L"MS Sans Serif", L"Tahoma", L"Arial"};  // nullptr: DEFAULT_GUI_FONT

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  InitCommonControls();
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"CaptionProbe";
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowW(L"CaptionProbe", L"Caption probe", WS_OVERLAPPEDWINDOW, 0, 0, 480, 220,
                                    nullptr, nullptr, instance, nullptr);
  for (int row = 0; row < 4; ++row) {
    const HGDIOBJ font = kFaces[row] ? CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                                   0, 0, 0, kFaces[row])
                                     : GetStockObject(DEFAULT_GUI_FONT);
    for (int column = 0; column < 5; ++column) {
      const HWND button = CreateWindowW(L"Button", kCaptions[column], WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_MULTILINE,
                                        10 + column * 90, 10 + row * 40, 81, 33, window, nullptr, instance, nullptr);
      SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
  }
  ShowWindow(window, show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
