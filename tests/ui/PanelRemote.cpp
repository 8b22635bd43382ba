#include "PanelRemote.h"

#include <tlhelp32.h>

#include <fstream>
#include <optional>

#include "PanelDesign.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;   // a first Wine start in a virtual machine is slow
constexpr DWORD kPressTimeoutMs = 30000;
constexpr DWORD kMessageTimeoutMs = 10000;
constexpr DWORD kCloseTimeoutMs = 20000;
constexpr DWORD kPollMs = 10;

std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  return folder;
}

// A file name no other panel of this run uses.
std::wstring UniqueReportPath() {
  static int count = 0;
  return TempFolder() + L"tarven-panel-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++count) + L".txt";
}

// Sets environment variables for the processes this one starts, and puts them back after.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const RemotePanel::Settings& settings) {
    for (const auto& [name, value] : settings) {
      std::optional<std::wstring> old;
      if (DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0)) {
        std::wstring text(size, L'\0');
        text.resize(GetEnvironmentVariableW(name.c_str(), text.data(), size));
        old = text;
      }
      saved_.emplace_back(name, old);
      SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, old] : saved_) SetEnvironmentVariableW(name.c_str(), old ? old->c_str() : nullptr);
  }

 private:
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved_;
};

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

struct WindowSearch {
  DWORD processId;
  const wchar_t* windowClass;  // nullptr: any class
  HWND owner;                  // nullptr: any owner
  const wchar_t* title;        // nullptr: any title
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<WindowSearch*>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search.processId || !IsWindowVisible(window)) return TRUE;
  if (search.windowClass && ClassName(window) != search.windowClass) return TRUE;
  if (search.owner && GetWindow(window, GW_OWNER) != search.owner) return TRUE;
  if (search.title && WindowText(window) != search.title) return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindTopLevel(WindowSearch search) {
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM context) {
  if (CompareStringOrdinal(ClassName(child).c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL) {
    auto& text = *reinterpret_cast<std::wstring*>(context);
    const std::wstring line = WindowText(child);
    if (!line.empty()) text += (text.empty() ? L"" : L"\n") + line;
  }
  return TRUE;
}

// The message text of a message box: the text of its static controls.
std::wstring MessageBoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

void CALLBACK PressDone(HWND, UINT, ULONG_PTR done, LRESULT) { *reinterpret_cast<bool*>(done) = true; }

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

}  // namespace

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 4] = {};
  GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
  return full;
}

RemotePanel::RemotePanel(const std::wstring& program, const std::wstring& workFolder, const Settings& settings,
                         const wchar_t* title)
    : reportPath_(UniqueReportPath()) {
  if (!title) title = kPanelTitle;
  DeleteFileW(reportPath_.c_str());
  Settings environment = settings;
  environment.emplace_back(L"TARVEN_SIM_REPORT", reportPath_);
  {
    const ScopedEnvironment scoped(environment);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workFolder.c_str(), &startup, &process_)) {
      startError_ = L"cannot start " + program + L": error " + std::to_wstring(GetLastError());
      return;
    }
  }
  WaitForInputIdle(process_.hProcess, kStartTimeoutMs);
  const DWORD start = GetTickCount();
  while (!window_ && GetTickCount() - start < kStartTimeoutMs) {
    window_ = FindTopLevel({process_.dwProcessId, nullptr, nullptr, title});
    if (!window_) {
      if (WaitForSingleObject(process_.hProcess, kPollMs) == WAIT_OBJECT_0) break;
    }
  }
  if (!window_) startError_ = L"no window titled \"" + std::wstring(title) + L"\" came up";
}

RemotePanel::~RemotePanel() {
  if (process_.hProcess) {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) Close();
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  DeleteFileW(reportPath_.c_str());
}

bool RemotePanel::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT && IsWindow(window_);
}

std::vector<HWND> RemotePanel::Children() const {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

HWND RemotePanel::Control(const wchar_t* name) const {
  const std::vector<HWND> children = Children();
  for (std::size_t i = 0; i < kDesignedControlCount && i < children.size(); ++i)
    if (std::wstring(kDesignedControls[i].name) == name) return children[i];
  return nullptr;
}

std::wstring RemotePanel::Text(HWND control) const {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kMessageTimeoutMs, &length)) return L"?";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                      kMessageTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

void RemotePanel::SetText(const wchar_t* name, const std::wstring& text) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(Control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                      kMessageTimeoutMs, &result);
}

HWND RemotePanel::FocusedControl() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

PressOutcome RemotePanel::Press(const wchar_t* name) const {
  PressOutcome outcome;
  bool done = false;
  // The click is sent, not posted, so its end is known: PressDone runs when the panel has
  // handled it. Meanwhile a report the press puts up is read and closed.
  if (!SendMessageCallbackW(Control(name), BM_CLICK, 0, 0, PressDone, reinterpret_cast<ULONG_PTR>(&done)))
    return outcome;
  HWND closedBox = nullptr;
  const DWORD start = GetTickCount();
  while (!done && GetTickCount() - start < kPressTimeoutMs) {
    PumpMessages();
    const HWND box = FindTopLevel({process_.dwProcessId, L"#32770", window_, nullptr});
    if (box && box != closedBox) {
      outcome.report += (outcome.report.empty() ? L"" : L"\n---\n") + MessageBoxText(box);
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      closedBox = box;
    }
    if (!done) Sleep(kPollMs);
  }
  outcome.finished = done;
  return outcome;
}

std::map<std::string, std::string> RemotePanel::DeviceReport() const {
  std::map<std::string, std::string> values;
  std::ifstream file(reportPath_.c_str());
  std::string line;
  while (std::getline(file, line)) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

bool RemotePanel::HasLoaded(const wchar_t* moduleName) const {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process_.dwProcessId);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32W module = {};
  module.dwSize = sizeof(module);
  bool found = false;
  for (BOOL more = Module32FirstW(snapshot, &module); more && !found; more = Module32NextW(snapshot, &module))
    found = CompareStringOrdinal(module.szModule, -1, moduleName, -1, TRUE) == CSTR_EQUAL;
  CloseHandle(snapshot);
  return found;
}

bool RemotePanel::SaveScreenshot(const std::wstring& path) const {
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(500);  // let the display catch up with the painting
  RECT frame;
  GetWindowRect(window_, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY | CAPTUREBLT);
  SelectObject(memory, previous);

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows, as BMP files store them
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD rowBytes = (width * 3 + 3) & ~3u;
  info.biSizeImage = rowBytes * height;
  std::vector<char> pixels(info.biSizeImage);
  const int rows = GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;

  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + info.biSizeImage;
  std::ofstream file(path.c_str(), std::ios::binary);
  file.write(reinterpret_cast<const char*>(&header), sizeof(header));
  file.write(reinterpret_cast<const char*>(&info), sizeof(info));
  file.write(pixels.data(), pixels.size());
  return file.good();
}

bool RemotePanel::Close() {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, kCloseTimeoutMs) == WAIT_OBJECT_0) return true;
  TerminateProcess(process_.hProcess, 1);
  WaitForSingleObject(process_.hProcess, kCloseTimeoutMs);
  return false;
}
