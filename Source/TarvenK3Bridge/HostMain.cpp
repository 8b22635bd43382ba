// TarvenK3Host.exe: the 32-bit process that the 64-bit TarvenK3Cmd.dll starts as its child.
// It loads the real TarvenK3Cmd.dll from its own folder, makes each call that arrives on the
// request pipe, in order, and answers on the reply pipe. When the request pipe closes (the
// 64-bit DLL unloaded, its program ended or crashed) it unloads the library, which closes the
// unit and releases port access as at any program's end, and exits.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "BridgeProtocol.h"
#include "PipeIo.h"
#include "TarvenK3Binder.h"

namespace {

enum ExitCode { kPipeClosed = 0, kBadCommandLine = 2, kNoLibrary = 3, kBadRequest = 4 };

TcxEntryPoints library;

HANDLE HandleArgument(const char* text) {
  char* end = nullptr;
  const unsigned long value = strtoul(text, &end, 10);
  return *end == '\0' && value != 0 ? reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)) : nullptr;
}

BridgeReply Call(const BridgeRequest& request) {
  BridgeReply reply = {0, {0, 0, 0, 0}};
  memcpy(reply.bytes, request.bytes, sizeof reply.bytes);
  // The library writes over the caller's bytes in the reply.
  reply.result = TcxCall(library, static_cast<TcxFunction>(request.function), request.arguments, reply.bytes);
  return reply;
}

}  // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (argc != 4) return kBadCommandLine;
  const HANDLE requests = HandleArgument(argv[1]);
  const HANDLE replies = HandleArgument(argv[2]);
  const HANDLE replyEvent = HandleArgument(argv[3]);
  if (!requests || !replies || !replyEvent) return kBadCommandLine;

  // The library beside this program, and the DLLs it needs from that folder or the system's only.
  const HMODULE module = TcxLoadLibrary();
  TcxFunction missing;
  if (module == nullptr || !TcxBindAll(module, &library, &missing)) return kNoLibrary;
  SetEvent(replyEvent);  // ready

  int exitCode = kPipeClosed;
  BridgeRequest request;
  while (ReadWhole(requests, &request, sizeof request)) {
    if (request.function >= kTcxFunctionCount) {
      exitCode = kBadRequest;
      break;
    }
    const BridgeReply reply = Call(request);
    if (!WriteWhole(replies, &reply, sizeof reply)) break;
    SetEvent(replyEvent);
  }
  FreeLibrary(module);
  return exitCode;
}
