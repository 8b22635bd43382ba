/* The fifteen functions of TarvenK3Cmd.dll, one line each: the one list from which the header's
 * declarations, the export table, the 64-bit bridge, the run-time binder and the tests' function
 * lists follow. Adding a function is one line here, plus its body and its tests.
 *
 * X(name, result, kind, failure, bytes, parameters, arguments)
 *   name        the function is tcx_<name>; it is exported as "_tcx_<name>@<bytes>"
 *   result      its C result type
 *   kind        what the result is (enum TcxResultKind)
 *   failure     what it returns when it cannot do its work (the unit or the radio not open, no
 *               host process for a 64-bit program)
 *   bytes       the size of its arguments on the 32-bit stack, which the callee pops
 *   parameters  its parameter list, as declared
 *   arguments   the names of those parameters, as a call passes them on */
#ifndef TARVENK3FUNCTIONS_H
#define TARVENK3FUNCTIONS_H

/* Bits of tcx_OpenTARVEN's result; 0 means both halves of the unit are available. */
#define TCX_OPEN_PORT_IO_UNAVAILABLE 0x1 /* the PC's port I/O (IO.dll) could not be initialised */
#define TCX_OPEN_UNIT_UNAVAILABLE 0x2    /* the monitor unit is not there or not recognised */

/* tcx_GetMonitorBrightness(selector): TCX_NIGHT_LEVEL reads the night level, any other value
 * (TCX_DAY_LEVEL) the day level. */
#define TCX_DAY_LEVEL 1
#define TCX_NIGHT_LEVEL 2

/* The band argument of tcx_SetChannelRadio and tcx_GetChannelDetectState: TCX_BAND_FM, with the
 * frequency in 10 kHz units (93.5 MHz = 9350), or TCX_BAND_AM (any value but TCX_BAND_FM), with
 * the frequency in kHz (810 kHz = 810). */
#define TCX_BAND_FM 0
#define TCX_BAND_AM 1

enum TcxResultKind {
  TCX_CODE,  /* int: tcx_OpenTARVEN's result bits */
  TCX_BYTE,  /* unsigned char: 1 for success or true, 0 for failure or false */
  TCX_LEVEL, /* int: a brightness level 0-15 */
  TCX_NONE   /* void */
};

#define TCX_FUNCTIONS(X)                                                                                  \
  /* connection */                                                                                       \
  X(OpenTARVEN, int, TCX_CODE, TCX_OPEN_PORT_IO_UNAVAILABLE | TCX_OPEN_UNIT_UNAVAILABLE, 0, (void), ())  \
  X(CloseTARVEN, void, TCX_NONE, 0, 0, (void), ())                                                       \
  X(IsOpenTARVEN, unsigned char, TCX_BYTE, 0, 0, (void), ())                                             \
  /* monitor */                                                                                          \
  X(GetFwVersion, unsigned char, TCX_BYTE, 0, 4, (unsigned char* version), (version))                    \
  X(GetDevStatus, unsigned char, TCX_BYTE, 0, 4, (unsigned char* status), (status))                      \
  X(TiltUp, unsigned char, TCX_BYTE, 0, 4, (int steps), (steps))                                         \
  X(TiltDown, unsigned char, TCX_BYTE, 0, 4, (int steps), (steps))                                       \
  X(SetMonitorBrightness, unsigned char, TCX_BYTE, 0, 8, (int dayLevel, int nightLevel), (dayLevel, nightLevel)) \
  X(GetMonitorBrightness, int, TCX_LEVEL, 0, 4, (int selector), (selector))                              \
  /* radio tuner */                                                                                      \
  X(OpenRadio, unsigned char, TCX_BYTE, 0, 0, (void), ())                                                \
  X(CloseRadio, unsigned char, TCX_BYTE, 0, 0, (void), ())                                               \
  X(IsOpenRadio, unsigned char, TCX_BYTE, 0, 0, (void), ())                                              \
  X(SetChannelRadio, unsigned char, TCX_BYTE, 0, 8, (int band, int frequency), (band, frequency))        \
  X(GetChannelDetectState, unsigned char, TCX_BYTE, 0, 4, (int band), (band))                            \
  X(GetFMStereoState, unsigned char, TCX_BYTE, 0, 0, (void), ())

/* The exported name of a function: "_tcx_SetChannelRadio@8". */
#define TCX_DECORATED_NAME(name, bytes) "_tcx_" #name "@" #bytes

#endif
