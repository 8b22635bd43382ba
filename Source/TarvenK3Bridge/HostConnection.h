// The 64-bit DLL's one connection to its host process x86\TarvenK3Host.exe, beside the DLL.
// Not thread-safe: the exported functions call it under their lock.
#pragma once

#include <windows.h>

#include "BridgeProtocol.h"

// Sends request and waits for the reply. A host is started when there is none yet, or, if one
// was lost (it could not start, died or stopped answering), only when startAgain is set.
// false: no host answered; a host that stopped answering has been ended.
bool HostCall(const BridgeRequest& request, BridgeReply* reply, bool startAgain);

// Closes the pipes, so the host unloads the library and exits, and waits a bounded time for
// that (ending it otherwise).
void HostEnd();

// The DLL's own module, whose folder holds x86\TarvenK3Host.exe. Set when the DLL loads.
extern HMODULE bridgeModule;
