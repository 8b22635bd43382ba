/* TarvenK3Cmd.dll: command library for the TARVEN K3 monitor unit.
 *
 * Flat functions with the callee-pops (stdcall) convention, exported under their decorated
 * names ("_tcx_OpenTARVEN@0", ...). Every argument is 32 bits wide. Byte results are one
 * unsigned byte: 1 for success or true, 0 for failure or false. Calls from several threads
 * are serialised: each function runs alone, under one process-wide lock. Calls that touch the
 * I/O ports also hold one machine-wide lock (TCX_UNIT_LOCK_NAME below), so the calls of
 * several programs take turns on the bus; such a call waits at most 10 s for it, then returns
 * its failure value without touching a port.
 *
 * The functions are listed in TarvenK3Functions.h, one line each, and declared here from that
 * list:
 *
 * Connection. tcx_OpenTARVEN returns TCX_OPEN_* bits (0 = both halves available);
 *   tcx_CloseTARVEN; tcx_IsOpenTARVEN.
 * Monitor. These need only the monitor unit, not port I/O. tcx_GetFwVersion(version) and
 *   tcx_GetDevStatus(status) fill three bytes the caller owns; tcx_TiltUp(steps),
 *   tcx_TiltDown(steps); tcx_SetMonitorBrightness(dayLevel, nightLevel);
 *   tcx_GetMonitorBrightness(TCX_DAY_LEVEL or TCX_NIGHT_LEVEL).
 * Radio tuner. These need port I/O. tcx_OpenRadio, tcx_CloseRadio, tcx_IsOpenRadio;
 *   tcx_SetChannelRadio(band, frequency); tcx_GetChannelDetectState(band);
 *   tcx_GetFMStereoState. band: TCX_BAND_FM (0) or TCX_BAND_AM (any other value). frequency: FM
 *   in 10 kHz units (93.5 MHz = 9350), AM in kHz (810 kHz = 810). */
#ifndef TARVENK3CMD_H
#define TARVENK3CMD_H

#include "TarvenK3Functions.h"

#if defined(_WIN32)
#define TCX_API __stdcall
#else
#define TCX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define TCX_DECLARATION(name, result, kind, failure, bytes, parameters, arguments) \
  result TCX_API tcx_##name parameters;
TCX_FUNCTIONS(TCX_DECLARATION)
#undef TCX_DECLARATION

/* Names of two machine-wide objects through which the programs on one PC share the unit.
 * TCX_UNIT_LOCK_NAME: a mutex that every call touching the I/O ports (open, close, the radio
 * functions, the release at unload) holds for its whole run, so the calls of different
 * programs take turns on the bus. TCX_UNIT_OPEN_NAME: an event that exists while at least one
 * program has the unit open; a maintenance tool can open it to tell whether the unit is in use. */
#define TCX_UNIT_LOCK_NAME "Global\\TarvenK3.UnitLock"
#define TCX_UNIT_OPEN_NAME "Global\\TarvenK3.UnitOpen"

#ifdef __cplusplus
}
#endif

#endif
