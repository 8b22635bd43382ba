// The fifteen functions of TarvenK3Cmd.dll as k3ctl calls them: one table of entry points,
// filled by binding the DLL at run time (LibraryLoader.h), or on the host with the library's
// functions themselves or with stand-ins.
#pragma once

#include "TarvenK3Cmd.h"

// Each entry has the type of the header's declaration, calling convention included.
struct K3Library {
  decltype(&tcx_OpenTARVEN) OpenTARVEN;
  decltype(&tcx_CloseTARVEN) CloseTARVEN;
  decltype(&tcx_IsOpenTARVEN) IsOpenTARVEN;
  decltype(&tcx_GetFwVersion) GetFwVersion;
  decltype(&tcx_GetDevStatus) GetDevStatus;
  decltype(&tcx_TiltUp) TiltUp;
  decltype(&tcx_TiltDown) TiltDown;
  decltype(&tcx_SetMonitorBrightness) SetMonitorBrightness;
  decltype(&tcx_GetMonitorBrightness) GetMonitorBrightness;
  decltype(&tcx_OpenRadio) OpenRadio;
  decltype(&tcx_CloseRadio) CloseRadio;
  decltype(&tcx_IsOpenRadio) IsOpenRadio;
  decltype(&tcx_SetChannelRadio) SetChannelRadio;
  decltype(&tcx_GetChannelDetectState) GetChannelDetectState;
  decltype(&tcx_GetFMStereoState) GetFMStereoState;
};

// Bits of tcx_OpenTARVEN's result.
constexpr int kPortIoUnavailable = 0x01;
constexpr int kMonitorUnitMissing = 0x02;

// tcx_GetMonitorBrightness: 2 selects the night level, any other value the day level.
constexpr int kDaySelector = 1;
constexpr int kNightSelector = 2;
