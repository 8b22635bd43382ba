// A SamplePanel.exe started and driven from this process as a user drives it: presses of its
// buttons, text typed into its fields, the texts its window shows and the reports it puts up;
// and the simulated PC's report of what reached the devices (TARVEN_SIM_REPORT).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

// A window's text as a test compares it: the controls show only ASCII.
inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct PressOutcome {
  bool finished = false;  // the press ran to its end in the time allowed
  std::wstring report;    // the text of the message box it put up (closed again); empty if none
};

class RemotePanel {
 public:
  // Environment variables for the panel's process, such as {L"TARVEN_SIM_PORT_ACCESS", L"denied"}.
  using Settings = std::vector<std::pair<std::wstring, std::wstring>>;

  // Starts program with workFolder as its current directory and waits for its window, the
  // panel's or the one of that title.
  RemotePanel(const std::wstring& program, const std::wstring& workFolder, const Settings& settings = {},
              const wchar_t* title = nullptr);
  ~RemotePanel();
  RemotePanel(const RemotePanel&) = delete;
  RemotePanel& operator=(const RemotePanel&) = delete;

  // Empty when the window came up; otherwise what went wrong.
  const std::wstring& StartError() const { return startError_; }
  HWND Window() const { return window_; }
  // The program still runs and its window is still there.
  bool Running() const;

  // The window's child controls in z order, which is the order the panel created them in.
  std::vector<HWND> Children() const;
  // The control of that name in PanelDesign.h, found by its place in z order.
  HWND Control(const wchar_t* name) const;
  std::wstring Text(HWND control) const;
  std::wstring Text(const wchar_t* name) const { return Text(Control(name)); }
  void SetText(const wchar_t* name, const std::wstring& text) const;
  // The control that has the keyboard focus in the panel's thread.
  HWND FocusedControl() const;

  // Clicks the button and waits until the press has run. A message box it puts up is read and
  // closed with OK.
  PressOutcome Press(const wchar_t* name) const;

  // The simulated PC's last report, key to value; empty while nothing has reached it.
  std::map<std::string, std::string> DeviceReport() const;
  // Whether the panel's process has loaded a module of this file name.
  bool HasLoaded(const wchar_t* moduleName) const;

  // Saves the window, frame included, as a 24-bit BMP file.
  bool SaveScreenshot(const std::wstring& path) const;

  // Closes the window as a user does; true when the program then ended by itself.
  bool Close();

 private:
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
  std::wstring startError_;
  std::wstring reportPath_;
};

// The full path of a file name or relative path.
std::wstring FullPath(const std::wstring& path);
