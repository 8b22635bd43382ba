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

#ifdef __cplusplus
/* For C++ programs that list, bind or forward the functions: each function's position in the
 * list, and its row as data. */
enum class TcxFunction : unsigned {
#define TCX_FUNCTION_ENUMERATOR(name, result, kind, failure, bytes, parameters, arguments) name,
  TCX_FUNCTIONS(TCX_FUNCTION_ENUMERATOR)
#undef TCX_FUNCTION_ENUMERATOR
};

struct TcxFunctionInfo {
  const char* name;           /* "SetChannelRadio" */
  const char* decoratedName;  /* "_tcx_SetChannelRadio@8" */
  TcxResultKind kind;
  int failure;
  int argumentBytes;
};

constexpr TcxFunctionInfo kTcxFunctions[] = {
#define TCX_FUNCTION_INFO(name, result, kind, failure, bytes, parameters, arguments) \
  {#name, TCX_DECORATED_NAME(name, bytes), kind, failure, bytes},
    TCX_FUNCTIONS(TCX_FUNCTION_INFO)
#undef TCX_FUNCTION_INFO
};

constexpr unsigned kTcxFunctionCount = sizeof kTcxFunctions / sizeof kTcxFunctions[0];

constexpr const TcxFunctionInfo& TcxInfo(TcxFunction function) {
  return kTcxFunctions[static_cast<unsigned>(function)];
}
#endif

#endif
