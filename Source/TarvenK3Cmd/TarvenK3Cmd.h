/* TarvenK3Cmd.dll: command library for the TARVEN K3 monitor unit.
 *
 * Flat functions with the callee-pops (stdcall) convention, exported under their decorated
 * names ("_tcx_OpenTARVEN@0", ...). Every argument is 32 bits wide. Byte results are one
 * unsigned byte: 1 for success or true, 0 for failure or false. Call the library from one
 * thread at a time. */
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

#ifdef __cplusplus
}
#endif

#endif
