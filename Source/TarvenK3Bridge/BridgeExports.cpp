// The fifteen functions of the 64-bit TarvenK3Cmd.dll, made from the library's function list.
// Each is forwarded whole to the 32-bit host process and returns what the library returned
// there, or the function's failure result when no host answers. Calls from several threads
// take turns on the one connection, as they take turns on the library's own lock.
#include <windows.h>

#include <string.h>

#include "BridgeProtocol.h"
#include "HostConnection.h"
#include "TarvenK3Cmd.h"

namespace {

SRWLOCK connectionLock = SRWLOCK_INIT;

// Only tcx_OpenTARVEN starts a new host after one was lost; every other call then fails.
bool Ask(const BridgeRequest& request, BridgeReply* reply) {
  AcquireSRWLockExclusive(&connectionLock);
  const bool answered = HostCall(request, reply, request.function == unsigned(TcxFunction::OpenTARVEN));
  ReleaseSRWLockExclusive(&connectionLock);
  return answered;
}

// A call's arguments as a request carries them: up to two numbers, or the caller's three bytes.
struct Arguments {
  Arguments() = default;
  explicit Arguments(int first, int second = 0) : numbers{first, second} {}
  explicit Arguments(unsigned char* buffer) : bytes(buffer), reader(true) {}

  int32_t numbers[2] = {0, 0};
  unsigned char* bytes = nullptr;
  bool reader = false;
};

// The caller's bytes go along with the call; only those the library changed are written back.
// A null pointer is refused, as the library refuses it, without asking the host.
template <typename Result>
Result Forward(TcxFunction function, const Arguments& call) {
  if (call.reader && call.bytes == nullptr) return Result();
  BridgeRequest request = {static_cast<uint32_t>(function), {call.numbers[0], call.numbers[1]}, {0, 0, 0, 0}};
  if (call.reader) memcpy(request.bytes, call.bytes, kBridgeReaderBytes);
  BridgeReply reply;
  if (!Ask(request, &reply)) return static_cast<Result>(TcxInfo(function).failure);
  for (int i = 0; call.reader && i < kBridgeReaderBytes; ++i)
    if (reply.bytes[i] != request.bytes[i]) call.bytes[i] = reply.bytes[i];
  return static_cast<Result>(reply.result);
}

}  // namespace

#define TCX_FORWARDER(name, result, kind, failure, bytes, parameters, arguments) \
  extern "C" result TCX_API tcx_##name parameters {                          \
    return Forward<result>(TcxFunction::name, Arguments arguments);         \
  }
TCX_FUNCTIONS(TCX_FORWARDER)
#undef TCX_FORWARDER

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
