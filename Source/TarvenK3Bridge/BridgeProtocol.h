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

#include "TcxEntryPoints.h"

// A request names its function by its place in the library's function list (TcxFunction), and
// a host without an answer makes the DLL return the function's failure result from that list.
constexpr int kBridgeReaderBytes = 3;  // the output buffer of tcx_GetFwVersion, tcx_GetDevStatus

// bytes: for the two readers, the caller's three bytes as they were before the call; the host
// lets the library write over them, so the reply's bytes differ only where the library wrote.
struct BridgeRequest {
  uint32_t function;  // TcxFunction
  int32_t arguments[2];
  uint8_t bytes[4];
};

struct BridgeReply {
  int32_t result;  // a byte result zero-extended
  uint8_t bytes[4];
};

static_assert(sizeof(BridgeRequest) == 16 && sizeof(BridgeReply) == 8, "fixed layout");
