#include "HostConnection.h"

#include <stdio.h>
#include <string.h>

#include "ModulePath.h"
#include "PipeIo.h"

HMODULE bridgeModule;

namespace {

// Bounds. Starting takes a process start and the library's load; the longest call, a station
// detection, about 300 ms, after up to 10 s waiting for another program's call to end (the
// library's machine-wide unit lock). A host that goes past them is taken to have stopped
// answering.
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kReplyTimeoutMs = 15000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr UINT kEndedExitCode = 1;

constexpr wchar_t kHostFolder[] = L"x86\\";
constexpr wchar_t kHostProgram[] = L"x86\\TarvenK3Host.exe";
constexpr DWORD kPathSize = 1024;

enum HostState { kNotStarted, kRunning, kLost };

struct Host {
  HostState state;
  HANDLE process;
  HANDLE requests;    // write end of the request pipe
  HANDLE replies;     // read end of the reply pipe
  HANDLE replyEvent;  // set by the host after each reply, and once when it is ready
};
Host host = {kNotStarted, nullptr, nullptr, nullptr, nullptr};

void CloseIfOpen(HANDLE& handle) {
  if (handle) CloseHandle(handle);
  handle = nullptr;
}

// Closes the request pipe, which tells the host to unload the library and exit; ends the host
// if it has not exited within waitMs; then lets go of everything.
void Release(DWORD waitMs) {
  CloseIfOpen(host.requests);
  if (host.process && WaitForSingleObject(host.process, waitMs) != WAIT_OBJECT_0) {
    TerminateProcess(host.process, kEndedExitCode);
    WaitForSingleObject(host.process, kExitTimeoutMs);
  }
  CloseIfOpen(host.replies);
  CloseIfOpen(host.replyEvent);
  CloseIfOpen(host.process);
}

// true when the host set the reply event; false when it exited or the time ran out.
bool AwaitHost(DWORD timeoutMs) {
  const HANDLE objects[2] = {host.replyEvent, host.process};
  return WaitForMultipleObjects(2, objects, FALSE, timeoutMs) == WAIT_OBJECT_0;
}

// folder: this DLL's folder and x86\, program: that folder and TarvenK3Host.exe.
bool HostPaths(wchar_t (&folder)[kPathSize], wchar_t (&program)[kPathSize]) {
  return PathBesideModule(bridgeModule, kHostFolder, folder, kPathSize) &&
         PathBesideModule(bridgeModule, kHostProgram, program, kPathSize);
}

// Starts the host with the child's ends of the pipes and the event as its only inherited
// handles, and waits until it has loaded the library.
bool Start() {
  wchar_t folder[kPathSize], program[kPathSize];
  if (!HostPaths(folder, program)) return false;

  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE requestRead = nullptr, replyWrite = nullptr;
  if (!CreatePipe(&requestRead, &host.requests, &inheritable, 0)) return false;
  if (!CreatePipe(&host.replies, &replyWrite, &inheritable, 0)) {
    CloseHandle(requestRead);
    Release(0);
    return false;
  }
  host.replyEvent = CreateEventW(&inheritable, FALSE, FALSE, nullptr);
  SetHandleInformation(host.requests, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(host.replies, HANDLE_FLAG_INHERIT, 0);

  wchar_t commandLine[kPathSize + 40];
  _snwprintf(commandLine, sizeof commandLine / sizeof commandLine[0], L"\"%ls\" %lu %lu %lu", program,
             static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(requestRead)),
             static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(replyWrite)),
             static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(host.replyEvent)));
  commandLine[sizeof commandLine / sizeof commandLine[0] - 1] = L'\0';

  HANDLE inherited[3] = {requestRead, replyWrite, host.replyEvent};
  alignas(8) unsigned char listStorage[128];
  SIZE_T listSize = sizeof listStorage;
  const LPPROC_THREAD_ATTRIBUTE_LIST list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listStorage);
  STARTUPINFOEXW startup;
  memset(&startup, 0, sizeof startup);
  startup.StartupInfo.cb = sizeof startup;
  PROCESS_INFORMATION started;
  BOOL ok = host.replyEvent != nullptr && InitializeProcThreadAttributeList(list, 1, 0, &listSize);
  if (ok) {
    startup.lpAttributeList = list;
    ok = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited,
                                   nullptr, nullptr) &&
         CreateProcessW(program, commandLine, nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, folder,
                        &startup.StartupInfo, &started);
    DeleteProcThreadAttributeList(list);
  }
  CloseHandle(requestRead);
  CloseHandle(replyWrite);
  if (!ok) {
    Release(0);
    return false;
  }
  SetHandleInformation(host.replyEvent, HANDLE_FLAG_INHERIT, 0);
  CloseHandle(started.hThread);
  host.process = started.hProcess;
  if (!AwaitHost(kStartTimeoutMs)) {
    Release(0);
    return false;
  }
  return true;
}

}  // namespace

bool HostCall(const BridgeRequest& request, BridgeReply* reply, bool startAgain) {
  if (host.state != kRunning) {
    if (host.state == kLost && !startAgain) return false;
    host.state = Start() ? kRunning : kLost;
    if (host.state == kLost) return false;
  }
  if (WriteWhole(host.requests, &request, sizeof request) && AwaitHost(kReplyTimeoutMs) &&
      ReadWhole(host.replies, reply, sizeof *reply))
    return true;
  Release(0);
  host.state = kLost;
  return false;
}

void HostEnd() {
  if (host.state == kRunning) Release(kExitTimeoutMs);
  host.state = kNotStarted;
}
