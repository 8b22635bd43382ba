// The simulator window's class, title and control ids: the window creates its controls with
// them, and a program that drives the window from outside (its UI test) finds them by them.
#pragma once

inline constexpr wchar_t kSimWindowClass[] = L"TarvenK3Sim";
inline constexpr wchar_t kSimWindowTitle[] = L"TARVEN K3 simulated unit";

enum SimControlId : int {
  kIdPicture = 100,   // the monitor unit and the radio, drawn
  kIdMonitorText,     // "unit present, QX7C, firmware 1.4.2, tilt 5, day 9, night 3, status ..."
  kIdRadioText,       // "radio: on, FM 93.50 MHz, station, stereo"
  kIdPcText,          // port access, handles, programs, unit lock
  kIdUnitConnected,   // check box
  kIdPortAccess,      // check box
  kIdLog,             // list box: the last calls, newest last
  kIdStatusLine,      // what the last change did: "tilt=7" or why it was refused
  // One row a setting a running PC takes, in the settings' order: its key's label, the value's
  // edit field and its Set button are kIdSettingBase + 3 * row + 0, 1, 2.
  kIdSettingBase = 200,
};
