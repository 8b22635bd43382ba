// The fifteen functions of the 64-bit TarvenK3Cmd.dll. Each is forwarded whole to the 32-bit
// host process and returns what the library returned there, or the function's failure value
// when no host answers. Calls from several threads take turns on the one connection, as they
// take turns on the library's own lock.
#include <windows.h>

#include "ApiLock.h"
#include "BridgeProtocol.h"
#include "HostConnection.h"
#include "TarvenK3Cmd.h"

namespace {

// Only tcx_OpenTARVEN starts a new host after one was lost; every other call then fails.
bool Ask(const BridgeRequest& request, BridgeReply* reply) {
  const ApiLock lock;
  return HostCall(request, reply, request.function == kOpenTARVEN);
}

int Forward(BridgeFunction function, int first = 0, int second = 0) {
  const BridgeRequest request = {function, {first, second}, {0, 0, 0, 0}};
  BridgeReply reply;
  return Ask(request, &reply) ? reply.result : kBridgeFunctions[function].failureResult;
}

unsigned char Byte(int result) { return static_cast<unsigned char>(result); }

// The caller's bytes go along with the call; only those the library changed are written back.
// A null pointer is refused, as the library refuses it, without asking the host.
unsigned char ForwardReader(BridgeFunction function, unsigned char* bytes) {
  if (bytes == nullptr) return 0;
  BridgeRequest request = {function, {0, 0}, {bytes[0], bytes[1], bytes[2], 0}};
  BridgeReply reply;
  if (!Ask(request, &reply)) return Byte(kBridgeFunctions[function].failureResult);
  for (int i = 0; i < kBridgeReaderBytes; ++i)
    if (reply.bytes[i] != request.bytes[i]) bytes[i] = reply.bytes[i];
  return Byte(reply.result);
}

}  // namespace

extern "C" int TCX_API tcx_OpenTARVEN(void) { return Forward(kOpenTARVEN); }
extern "C" void TCX_API tcx_CloseTARVEN(void) { Forward(kCloseTARVEN); }
extern "C" unsigned char TCX_API tcx_IsOpenTARVEN(void) { return Byte(Forward(kIsOpenTARVEN)); }

extern "C" unsigned char TCX_API tcx_GetFwVersion(unsigned char* version) {
  return ForwardReader(kGetFwVersion, version);
}
extern "C" unsigned char TCX_API tcx_GetDevStatus(unsigned char* status) {
  return ForwardReader(kGetDevStatus, status);
}
extern "C" unsigned char TCX_API tcx_TiltUp(int steps) { return Byte(Forward(kTiltUp, steps)); }
extern "C" unsigned char TCX_API tcx_TiltDown(int steps) { return Byte(Forward(kTiltDown, steps)); }
extern "C" unsigned char TCX_API tcx_SetMonitorBrightness(int dayLevel, int nightLevel) {
  return Byte(Forward(kSetMonitorBrightness, dayLevel, nightLevel));
}
extern "C" int TCX_API tcx_GetMonitorBrightness(int selector) {
  return Forward(kGetMonitorBrightness, selector);
}

extern "C" unsigned char TCX_API tcx_OpenRadio(void) { return Byte(Forward(kOpenRadio)); }
extern "C" unsigned char TCX_API tcx_CloseRadio(void) { return Byte(Forward(kCloseRadio)); }
extern "C" unsigned char TCX_API tcx_IsOpenRadio(void) { return Byte(Forward(kIsOpenRadio)); }
extern "C" unsigned char TCX_API tcx_SetChannelRadio(int band, int frequency) {
  return Byte(Forward(kSetChannelRadio, band, frequency));
}
extern "C" unsigned char TCX_API tcx_GetChannelDetectState(int band) {
  return Byte(Forward(kGetChannelDetectState, band));
}
extern "C" unsigned char TCX_API tcx_GetFMStereoState(void) { return Byte(Forward(kGetFMStereoState)); }

// Unloading (FreeLibrary, or the program's end) ends the host, which unloads the library there.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    bridgeModule = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    HostEnd();
  }
  return TRUE;
}
