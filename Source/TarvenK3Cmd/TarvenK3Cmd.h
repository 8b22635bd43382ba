/* TarvenK3Cmd.dll: command library for the TARVEN K3 monitor unit.
 *
 * Flat functions with the callee-pops (stdcall) convention, exported under their decorated
 * names ("_tcx_OpenTARVEN@0", ...). Every argument is 32 bits wide. Byte results are one
 * unsigned byte: 1 for success or true, 0 for failure or false. Calls from several threads
 * are serialised: each function runs alone, under one process-wide lock. */
#ifndef TARVENK3CMD_H
#define TARVENK3CMD_H

#if defined(_WIN32)
#define TCX_API __stdcall
#else
#define TCX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Connection. Result of tcx_OpenTARVEN: bit 0 set = port I/O unavailable,
 * bit 1 set = monitor unit not opened or not recognised; 0 = both available. */
int TCX_API tcx_OpenTARVEN(void);
void TCX_API tcx_CloseTARVEN(void);
unsigned char TCX_API tcx_IsOpenTARVEN(void);

/* Monitor. These need only the monitor unit, not port I/O. version and status point to three
 * bytes the caller owns. */
unsigned char TCX_API tcx_GetFwVersion(unsigned char* version);
unsigned char TCX_API tcx_GetDevStatus(unsigned char* status);
unsigned char TCX_API tcx_TiltUp(int steps);
unsigned char TCX_API tcx_TiltDown(int steps);
unsigned char TCX_API tcx_SetMonitorBrightness(int dayLevel, int nightLevel);
int TCX_API tcx_GetMonitorBrightness(int selector);

/* Radio tuner. These need port I/O. band: 0 = FM, any other value = AM. frequency: FM in
 * 10 kHz units (93.5 MHz = 9350), AM in kHz (810 kHz = 810). */
unsigned char TCX_API tcx_OpenRadio(void);
unsigned char TCX_API tcx_CloseRadio(void);
unsigned char TCX_API tcx_IsOpenRadio(void);
unsigned char TCX_API tcx_SetChannelRadio(int band, int frequency);
unsigned char TCX_API tcx_GetChannelDetectState(int band);
unsigned char TCX_API tcx_GetFMStereoState(void);

#ifdef __cplusplus
}
#endif

#endif
