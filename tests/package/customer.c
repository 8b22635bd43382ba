/* A customer's first program, built from the unpacked SDK package alone: its header and one of
 * its import libraries. Run beside TarvenK3Cmd.dll and the simulator's IO.dll and TarVenCOM.dll
 * with no TARVEN_SIM_* variables set, it checks what the simulated unit reports by default.
 * Exit code: the number of mismatches. */
#include <stdio.h>

#include "TarvenK3Cmd.h"

static int mismatches;

static void expect(const char* what, long got, long want) {
  printf("%s %s: %ld", got == want ? "ok  " : "FAIL", what, got);
  if (got != want) {
    printf(", expected %ld", want);
    ++mismatches;
  }
  printf("\n");
}

static void connection_opens(void) {
  expect("tcx_IsOpenTARVEN before opening", tcx_IsOpenTARVEN(), 0);
  expect("tcx_OpenTARVEN", tcx_OpenTARVEN(), 0);
  expect("tcx_IsOpenTARVEN", tcx_IsOpenTARVEN(), 1);
}

static void monitor_reports_its_defaults(void) {
  unsigned char version[3] = {0, 0, 0};
  unsigned char status[3] = {0, 0, 0};
  expect("tcx_GetFwVersion", tcx_GetFwVersion(version), 1);
  expect("firmware 1.4.2: major", version[0], 1);
  expect("firmware 1.4.2: second", version[1], 4);
  expect("firmware 1.4.2: third", version[2], 2);
  expect("tcx_GetDevStatus", tcx_GetDevStatus(status), 1);
  expect("status 0x1100,0x02: bit 12", status[0], 1);
  expect("status 0x1100,0x02: flag bit 1", status[1], 1);
  expect("status 0x1100,0x02: bit 8", status[2], 1);
  expect("day level", tcx_GetMonitorBrightness(1), 9);
  expect("night level", tcx_GetMonitorBrightness(2), 3);
}

static void monitor_takes_commands(void) {
  expect("tcx_SetMonitorBrightness(12, 4)", tcx_SetMonitorBrightness(12, 4), 1);
  expect("day level after setting", tcx_GetMonitorBrightness(0), 12);
  expect("night level after setting", tcx_GetMonitorBrightness(2), 4);
  expect("tcx_TiltUp(2)", tcx_TiltUp(2), 1);
  expect("tcx_TiltDown(1)", tcx_TiltDown(1), 1);
}

static void radio_finds_the_default_stations(void) {
  expect("tcx_IsOpenRadio before opening", tcx_IsOpenRadio(), 0);
  expect("tcx_OpenRadio", tcx_OpenRadio(), 1);
  expect("tcx_IsOpenRadio", tcx_IsOpenRadio(), 1);
  expect("tcx_SetChannelRadio(FM, 93.50 MHz)", tcx_SetChannelRadio(0, 9350), 1);
  expect("FM 93.50 MHz is in stereo", tcx_GetFMStereoState(), 1);
  expect("FM 93.50 MHz is detected", tcx_GetChannelDetectState(0), 1);
  expect("tcx_SetChannelRadio(FM, 98.90 MHz)", tcx_SetChannelRadio(0, 9890), 1);
  expect("FM 98.90 MHz is mono", tcx_GetFMStereoState(), 0);
  expect("FM 98.90 MHz is detected", tcx_GetChannelDetectState(0), 1);
  expect("tcx_SetChannelRadio(FM, 100.00 MHz)", tcx_SetChannelRadio(0, 10000), 1);
  expect("nothing on FM 100.00 MHz", tcx_GetChannelDetectState(0), 0);
  expect("tcx_SetChannelRadio(AM, 810 kHz)", tcx_SetChannelRadio(1, 810), 1);
  expect("AM 810 kHz is detected", tcx_GetChannelDetectState(1), 1);
  expect("tcx_CloseRadio", tcx_CloseRadio(), 1);
  expect("tcx_IsOpenRadio after closing", tcx_IsOpenRadio(), 0);
  expect("tcx_SetChannelRadio on a closed radio", tcx_SetChannelRadio(0, 9350), 0);
  expect("tcx_GetChannelDetectState on a closed radio", tcx_GetChannelDetectState(0), 0);
  expect("tcx_GetFMStereoState on a closed radio", tcx_GetFMStereoState(), 0);
}

static void closing_ends_everything(void) {
  unsigned char version[3] = {7, 7, 7};
  tcx_CloseTARVEN();
  expect("tcx_IsOpenTARVEN after closing", tcx_IsOpenTARVEN(), 0);
  expect("tcx_GetFwVersion after closing", tcx_GetFwVersion(version), 0);
  expect("version bytes untouched after closing", version[0], 7);
}

int main(void) {
  connection_opens();
  monitor_reports_its_defaults();
  monitor_takes_commands();
  radio_finds_the_default_stations();
  closing_ends_everything();
  printf("%d mismatches\n", mismatches);
  return mismatches;
}
