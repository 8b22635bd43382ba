// What the 64-bit TarvenK3Cmd.dll and its 32-bit host process TarvenK3Host.exe say to each
// other over their two inherited anonymous pipes. One request, one reply, in turn: the DLL
// writes a request on the request pipe; the host makes the call, writes the reply on the reply
// pipe and then sets the reply event. The host also sets the event once when it is ready, after
// loading the library. Both sides are built from this header, for either bitness: every field
// has a fixed width, so the layout is the same in a 32-bit and a 64-bit process.
//
// The host's command line: "TarvenK3Host.exe REQUESTS REPLIES REPLY_EVENT", each the decimal
// value of an inherited handle (handle values fit 32 bits in both kinds of process).
#pragma once

#include <stdint.h>

enum BridgeFunction : uint32_t {
  kOpenTARVEN,
  kCloseTARVEN,
  kIsOpenTARVEN,
  kGetFwVersion,
  kGetDevStatus,
  kTiltUp,
  kTiltDown,
  kSetMonitorBrightness,
  kGetMonitorBrightness,
  kOpenRadio,
  kCloseRadio,
  kIsOpenRadio,
  kSetChannelRadio,
  kGetChannelDetectState,
  kGetFMStereoState,
  kBridgeFunctionCount
};

// How the host calls a function: its arguments and what its result is.
enum BridgeShape : uint8_t {
  kCodeResult,      // int f(void)
  kNoResult,        // void f(void)
  kByteResult,      // unsigned char f(void)
  kByteOfBytes,     // unsigned char f(unsigned char* threeBytes)
  kByteOfOne,       // unsigned char f(int)
  kByteOfTwo,       // unsigned char f(int, int)
  kLevelOfOne,      // int f(int)
};

struct BridgeFunctionInfo {
  const char* exportName;  // as the 32-bit library exports it
  BridgeShape shape;
  int32_t failureResult;   // what the DLL returns when there is no host to ask
};

// Indexed by BridgeFunction. tcx_OpenTARVEN's failure is 3: neither half available.
constexpr BridgeFunctionInfo kBridgeFunctions[kBridgeFunctionCount] = {
    {"_tcx_OpenTARVEN@0", kCodeResult, 3},
    {"_tcx_CloseTARVEN@0", kNoResult, 0},
    {"_tcx_IsOpenTARVEN@0", kByteResult, 0},
    {"_tcx_GetFwVersion@4", kByteOfBytes, 0},
    {"_tcx_GetDevStatus@4", kByteOfBytes, 0},
    {"_tcx_TiltUp@4", kByteOfOne, 0},
    {"_tcx_TiltDown@4", kByteOfOne, 0},
    {"_tcx_SetMonitorBrightness@8", kByteOfTwo, 0},
    {"_tcx_GetMonitorBrightness@4", kLevelOfOne, 0},
    {"_tcx_OpenRadio@0", kByteResult, 0},
    {"_tcx_CloseRadio@0", kByteResult, 0},
    {"_tcx_IsOpenRadio@0", kByteResult, 0},
    {"_tcx_SetChannelRadio@8", kByteOfTwo, 0},
    {"_tcx_GetChannelDetectState@4", kByteOfOne, 0},
    {"_tcx_GetFMStereoState@0", kByteResult, 0},
};

constexpr int kBridgeReaderBytes = 3;  // the output buffer of tcx_GetFwVersion, tcx_GetDevStatus

// bytes: for the two readers, the caller's three bytes as they were before the call; the host
// lets the library write over them, so the reply's bytes differ only where the library wrote.
struct BridgeRequest {
  uint32_t function;  // BridgeFunction
  int32_t arguments[2];
  uint8_t bytes[4];
};

struct BridgeReply {
  int32_t result;  // a byte result zero-extended
  uint8_t bytes[4];
};

static_assert(sizeof(BridgeRequest) == 16 && sizeof(BridgeReply) == 8, "fixed layout");
