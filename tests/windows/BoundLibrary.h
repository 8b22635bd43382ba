// TarvenK3Cmd.dll loaded by its file name and bound by decorated export names through the kit's
// binder, as customers' programs do; the simulator's trace read through the stand-in IO.dll's
// control functions.
#pragma once

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimControl.h"
#include "TarvenK3Binder.h"

// Every function of module, each with the exact type the public header declares.
inline TcxEntryPoints Bound(HMODULE module) {
  TcxEntryPoints entries;
  TcxFunction missing = TcxFunction::OpenTARVEN;
  EXPECT_TRUE(TcxBindAll(module, &entries, &missing)) << TcxInfo(missing).decoratedName << " is not exported";
  return entries;
}

// An export of module looked up by any name, with the type of the header's declaration.
template <typename Function>
Function BindByName(HMODULE module, const char* name) {
  FARPROC address = GetProcAddress(module, name);
  EXPECT_NE(address, nullptr) << name << " is not exported";
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

inline std::vector<TarvenSimEvent> SimTrace() {
  std::vector<TarvenSimEvent> events(TarvenSim_TraceLength());
  for (int i = 0; i < static_cast<int>(events.size()); ++i) TarvenSim_TraceEvent(i, &events[i]);
  return events;
}

inline std::vector<std::string> SimCalls() {
  std::vector<std::string> calls;
  for (const TarvenSimEvent& e : SimTrace())
    if (e.kind == TARVENSIM_CALL) calls.emplace_back(e.call);
  return calls;
}

inline std::vector<std::pair<int, int>> SimPortWrites() {
  std::vector<std::pair<int, int>> writes;
  for (const TarvenSimEvent& e : SimTrace())
    if (e.kind == TARVENSIM_PORT_WRITE) writes.emplace_back(e.port, e.value);
  return writes;
}

// Each test loads the library afresh on a simulated PC with its defaults.
class DllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TarvenSim_Reset();
    library = TcxLoadLibrary();
    ASSERT_NE(library, nullptr) << "LoadLibrary failed: " << GetLastError();
  }
  void TearDown() override {
    if (library) FreeLibrary(library);
    EXPECT_EQ(TarvenSim_FaultCount(), 0);
  }
  void UnloadLibrary() {
    ASSERT_TRUE(FreeLibrary(library));
    library = nullptr;
  }

  HMODULE library = nullptr;
};
