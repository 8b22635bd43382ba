// TarvenK3Host.exe: the 32-bit process that the 64-bit TarvenK3Cmd.dll starts as its child.
// It loads the real TarvenK3Cmd.dll from its own folder, makes each call that arrives on the
// request pipe, in order, and answers on the reply pipe. When the request pipe closes (the
// 64-bit DLL unloaded, its program ended or crashed) it unloads the library, which closes the
// unit and releases port access as at any program's end, and exits.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "BridgeProtocol.h"
#include "ModulePath.h"
#include "PipeIo.h"
#include "TarvenK3Cmd.h"

namespace {

enum ExitCode { kPipeClosed = 0, kBadCommandLine = 2, kNoLibrary = 3, kBadRequest = 4 };

typedef int(TCX_API* CodeFunction)(void);
typedef void(TCX_API* NoResultFunction)(void);
typedef unsigned char(TCX_API* ByteFunction)(void);
typedef unsigned char(TCX_API* ByteOfBytesFunction)(unsigned char*);
typedef unsigned char(TCX_API* ByteOfOneFunction)(int);
typedef unsigned char(TCX_API* ByteOfTwoFunction)(int, int);
typedef int(TCX_API* LevelOfOneFunction)(int);

FARPROC functions[kBridgeFunctionCount];

HANDLE HandleArgument(const char* text) {
  char* end = nullptr;
  const unsigned long value = strtoul(text, &end, 10);
  return *end == '\0' && value != 0 ? reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)) : nullptr;
}

// The library beside this program, and the DLLs it needs from that folder or the system's only:
// never from the current folder or the PATH.
HMODULE LoadLibraryBesideHost() {
  wchar_t path[MAX_PATH * 4];
  if (!PathBesideModule(nullptr, L"TarvenK3Cmd.dll", path, MAX_PATH * 4)) return nullptr;
  return LoadLibraryExW(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool BindFunctions(HMODULE library) {
  for (uint32_t i = 0; i < kBridgeFunctionCount; ++i) {
    functions[i] = GetProcAddress(library, kBridgeFunctions[i].exportName);
    if (functions[i] == nullptr) return false;
  }
  return true;
}

template <typename Function>
Function As(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

BridgeReply Call(const BridgeRequest& request) {
  const FARPROC f = functions[request.function];
  const int first = request.arguments[0], second = request.arguments[1];
  BridgeReply reply = {0, {0, 0, 0, 0}};
  memcpy(reply.bytes, request.bytes, sizeof reply.bytes);
  switch (kBridgeFunctions[request.function].shape) {
    case kCodeResult: reply.result = As<CodeFunction>(f)(); break;
    case kNoResult: As<NoResultFunction>(f)(); break;
    case kByteResult: reply.result = As<ByteFunction>(f)(); break;
    case kByteOfBytes: reply.result = As<ByteOfBytesFunction>(f)(reply.bytes); break;
    case kByteOfOne: reply.result = As<ByteOfOneFunction>(f)(first); break;
    case kByteOfTwo: reply.result = As<ByteOfTwoFunction>(f)(first, second); break;
    case kLevelOfOne: reply.result = As<LevelOfOneFunction>(f)(first); break;
  }
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

  const HMODULE library = LoadLibraryBesideHost();
  if (library == nullptr || !BindFunctions(library)) return kNoLibrary;
  SetEvent(replyEvent);  // ready

  int exitCode = kPipeClosed;
  BridgeRequest request;
  while (ReadWhole(requests, &request, sizeof request)) {
    if (request.function >= kBridgeFunctionCount) {
      exitCode = kBadRequest;
      break;
    }
    const BridgeReply reply = Call(request);
    if (!WriteWhole(replies, &reply, sizeof reply)) break;
    SetEvent(replyEvent);
  }
  FreeLibrary(library);
  return exitCode;
}
