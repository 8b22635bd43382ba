// The 64-bit TarvenK3Cmd.dll (bin64\ beside this program, its host in bin64\x86\) against the
// library itself (TarvenK3Cmd.dll beside this program), each on a simulated PC configured by
// the same TARVEN_SIM_* variables: the host's copy of the simulator reads them from the
// environment it inherits, this process's copy through TarvenSim_ResetFromEnvironment.
// bridge-missing\ holds the bridge without a host, bridge-hanging\ with a host that never answers.
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "BoundLibrary.h"

namespace {

std::wstring Beside(const wchar_t* relative) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.rfind(L'\\') + 1) + relative;
}
const std::wstring kLibrary = Beside(L"TarvenK3Cmd.dll");
const std::wstring kBridge = Beside(L"bin64\\TarvenK3Cmd.dll");

struct Library {
  decltype(&tcx_OpenTARVEN) OpenTARVEN;
  decltype(&tcx_CloseTARVEN) CloseTARVEN;
  decltype(&tcx_IsOpenTARVEN) IsOpenTARVEN;
  decltype(&tcx_GetFwVersion) GetFwVersion;
  decltype(&tcx_GetDevStatus) GetDevStatus;
  decltype(&tcx_TiltUp) TiltUp;
  decltype(&tcx_TiltDown) TiltDown;
  decltype(&tcx_SetMonitorBrightness) SetMonitorBrightness;
  decltype(&tcx_GetMonitorBrightness) GetMonitorBrightness;
  decltype(&tcx_OpenRadio) OpenRadio;
  decltype(&tcx_CloseRadio) CloseRadio;
  decltype(&tcx_IsOpenRadio) IsOpenRadio;
  decltype(&tcx_SetChannelRadio) SetChannelRadio;
  decltype(&tcx_GetChannelDetectState) GetChannelDetectState;
  decltype(&tcx_GetFMStereoState) GetFMStereoState;
};

// Each function's exported names: the 32-bit library's decorated one and the plain one.
const char* const kExports[][2] = {
    {"_tcx_OpenTARVEN@0", "tcx_OpenTARVEN"},
    {"_tcx_CloseTARVEN@0", "tcx_CloseTARVEN"},
    {"_tcx_IsOpenTARVEN@0", "tcx_IsOpenTARVEN"},
    {"_tcx_GetFwVersion@4", "tcx_GetFwVersion"},
    {"_tcx_GetDevStatus@4", "tcx_GetDevStatus"},
    {"_tcx_TiltUp@4", "tcx_TiltUp"},
    {"_tcx_TiltDown@4", "tcx_TiltDown"},
    {"_tcx_SetMonitorBrightness@8", "tcx_SetMonitorBrightness"},
    {"_tcx_GetMonitorBrightness@4", "tcx_GetMonitorBrightness"},
    {"_tcx_OpenRadio@0", "tcx_OpenRadio"},
    {"_tcx_CloseRadio@0", "tcx_CloseRadio"},
    {"_tcx_IsOpenRadio@0", "tcx_IsOpenRadio"},
    {"_tcx_SetChannelRadio@8", "tcx_SetChannelRadio"},
    {"_tcx_GetChannelDetectState@4", "tcx_GetChannelDetectState"},
    {"_tcx_GetFMStereoState@0", "tcx_GetFMStereoState"},
};

// Bound by decorated names (nameColumn 0) or plain ones (1), in the order of Library.
Library Bind(HMODULE module, int nameColumn = 0) {
  Library library;
  FARPROC* slot = reinterpret_cast<FARPROC*>(&library);
  for (const auto& names : kExports) {
    *slot = GetProcAddress(module, names[nameColumn]);
    EXPECT_NE(*slot++, nullptr) << names[nameColumn] << " is not exported";
  }
  return library;
}

// One call of a session: what it returned and the reader's three bytes afterwards (they start
// as kUntouched).
struct Outcome {
  std::string call;
  int result;
  std::vector<int> bytes;
  bool operator==(const Outcome& o) const { return call == o.call && result == o.result && bytes == o.bytes; }
};
void PrintTo(const Outcome& o, std::ostream* out) {
  *out << o.call << " -> " << o.result << " [" << o.bytes[0] << " " << o.bytes[1] << " " << o.bytes[2] << "]";
}
const unsigned char kUntouched[3] = {0xA5, 0x5A, 0xC3};

struct Step {
  const char* call;
  int (*make)(const Library& k, unsigned char* bytes);
};
// Every function, with arguments inside and outside their ranges, on an open and a closed
// unit and radio; the session ends with both open, for the unload to close.
const Step kSession[] = {
    {"IsOpenTARVEN", [](const Library& k, unsigned char*) { return int(k.IsOpenTARVEN()); }},
    {"GetFwVersion before opening", [](const Library& k, unsigned char* b) { return int(k.GetFwVersion(b)); }},
    {"OpenTARVEN", [](const Library& k, unsigned char*) { return k.OpenTARVEN(); }},
    {"IsOpenTARVEN", [](const Library& k, unsigned char*) { return int(k.IsOpenTARVEN()); }},
    {"OpenTARVEN again", [](const Library& k, unsigned char*) { return k.OpenTARVEN(); }},
    {"GetFwVersion(null)", [](const Library& k, unsigned char*) { return int(k.GetFwVersion(nullptr)); }},
    {"GetDevStatus(null)", [](const Library& k, unsigned char*) { return int(k.GetDevStatus(nullptr)); }},
    {"GetFwVersion", [](const Library& k, unsigned char* b) { return int(k.GetFwVersion(b)); }},
    {"GetDevStatus", [](const Library& k, unsigned char* b) { return int(k.GetDevStatus(b)); }},
    {"TiltUp(0)", [](const Library& k, unsigned char*) { return int(k.TiltUp(0)); }},
    {"TiltUp(7)", [](const Library& k, unsigned char*) { return int(k.TiltUp(7)); }},
    {"TiltDown(-5)", [](const Library& k, unsigned char*) { return int(k.TiltDown(-5)); }},
    {"TiltDown(2)", [](const Library& k, unsigned char*) { return int(k.TiltDown(2)); }},
    {"SetMonitorBrightness(0x1FF, 3)", [](const Library& k, unsigned char*) { return int(k.SetMonitorBrightness(0x1FF, 3)); }},
    {"SetMonitorBrightness(12, 4)", [](const Library& k, unsigned char*) { return int(k.SetMonitorBrightness(12, 4)); }},
    {"GetMonitorBrightness(2)", [](const Library& k, unsigned char*) { return k.GetMonitorBrightness(2); }},
    {"GetMonitorBrightness(-1)", [](const Library& k, unsigned char*) { return k.GetMonitorBrightness(-1); }},
    {"IsOpenRadio", [](const Library& k, unsigned char*) { return int(k.IsOpenRadio()); }},
    {"OpenRadio", [](const Library& k, unsigned char*) { return int(k.OpenRadio()); }},
    {"IsOpenRadio", [](const Library& k, unsigned char*) { return int(k.IsOpenRadio()); }},
    {"SetChannelRadio(FM, 9350)", [](const Library& k, unsigned char*) { return int(k.SetChannelRadio(0, 9350)); }},
    {"GetFMStereoState", [](const Library& k, unsigned char*) { return int(k.GetFMStereoState()); }},
    {"GetChannelDetectState(FM)", [](const Library& k, unsigned char*) { return int(k.GetChannelDetectState(0)); }},
    {"SetChannelRadio(FM, 9890)", [](const Library& k, unsigned char*) { return int(k.SetChannelRadio(0, 9890)); }},
    {"GetFMStereoState", [](const Library& k, unsigned char*) { return int(k.GetFMStereoState()); }},
    {"GetChannelDetectState(FM)", [](const Library& k, unsigned char*) { return int(k.GetChannelDetectState(0)); }},
    {"SetChannelRadio(7, 810)", [](const Library& k, unsigned char*) { return int(k.SetChannelRadio(7, 810)); }},
    {"GetChannelDetectState(AM)", [](const Library& k, unsigned char*) { return int(k.GetChannelDetectState(1)); }},
    {"CloseRadio", [](const Library& k, unsigned char*) { return int(k.CloseRadio()); }},
    {"IsOpenRadio", [](const Library& k, unsigned char*) { return int(k.IsOpenRadio()); }},
    {"GetFMStereoState closed", [](const Library& k, unsigned char*) { return int(k.GetFMStereoState()); }},
    {"CloseTARVEN", [](const Library& k, unsigned char*) { k.CloseTARVEN(); return -1; }},
    {"IsOpenTARVEN", [](const Library& k, unsigned char*) { return int(k.IsOpenTARVEN()); }},
    {"GetDevStatus closed", [](const Library& k, unsigned char* b) { return int(k.GetDevStatus(b)); }},
    {"OpenTARVEN", [](const Library& k, unsigned char*) { return k.OpenTARVEN(); }},
    {"OpenRadio", [](const Library& k, unsigned char*) { return int(k.OpenRadio()); }},
    {"SetChannelRadio(FM, -1)", [](const Library& k, unsigned char*) { return int(k.SetChannelRadio(0, -1)); }},
};

// "VAR=value" settings of the simulated PC, in this process's environment (which a host
// started meanwhile inherits) and of the simulator here, for as long as it lives.
class Settings {
 public:
  explicit Settings(std::vector<std::string> settings) : settings_(std::move(settings)) {
    for (const std::string& s : settings_) _putenv(s.c_str());
    TarvenSim_ResetFromEnvironment();
  }
  ~Settings() {
    for (const std::string& s : settings_) _putenv((s.substr(0, s.find('=') + 1)).c_str());
    TarvenSim_Reset();
  }

 private:
  std::vector<std::string> settings_;
};

std::string TempPath(const char* name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The session on module, with the simulator's report going to reportPath; the report is
// read after the module is unloaded.
std::vector<Outcome> RunSession(const std::wstring& module, const std::string& reportPath, std::string* report) {
  DeleteFileA(reportPath.c_str());
  Settings reporting({"TARVEN_SIM_REPORT=" + reportPath});
  TarvenSim_ResetFromEnvironment();
  std::vector<Outcome> outcomes;
  const HMODULE library = LoadLibraryW(module.c_str());
  EXPECT_NE(library, nullptr) << "cannot load the module: " << GetLastError();
  if (!library) return outcomes;
  const Library k = Bind(library);
  for (const Step& step : kSession) {
    unsigned char bytes[3] = {kUntouched[0], kUntouched[1], kUntouched[2]};
    const int result = step.make(k, bytes);
    outcomes.push_back({step.call, result, {bytes[0], bytes[1], bytes[2]}});
  }
  EXPECT_EQ(TarvenSim_TraceLength() != 0, module == kLibrary) << "the calls ran in the wrong process";
  FreeLibrary(library);
  *report = ReadText(reportPath);
  return outcomes;
}

std::vector<DWORD> HostProcesses() {
  std::vector<DWORD> found;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, L"TarvenK3Host.exe") == 0) found.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}

// Waits up to timeoutMs for condition; true when it held.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 20000) {
  for (DWORD waited = 0; !condition(); waited += 50) {
    if (waited >= timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

bool Reports(const std::string& report, const char* line) { return report.find(line) != std::string::npos; }

using ::testing::IsEmpty;

class BridgeMatchesLibrary : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BridgeMatchesLibrary, EveryResultBufferAndTheUnitAfterUnloading) {
  const Settings pc(GetParam());
  std::string directReport, bridgedReport;
  const std::vector<Outcome> direct = RunSession(kLibrary, TempPath("tarven-direct.txt"), &directReport);
  const std::vector<Outcome> bridged = RunSession(kBridge, TempPath("tarven-bridged.txt"), &bridgedReport);
  EXPECT_EQ(bridged, direct);
  EXPECT_THAT(directReport, ::testing::HasSubstr("monitor.openHandles=0"));
  EXPECT_EQ(bridgedReport, directReport) << "the simulated PC after unloading";
  EXPECT_THAT(HostProcesses(), IsEmpty()) << "the host outlived the DLL";
}

INSTANTIATE_TEST_SUITE_P(
    SimulatedPcs, BridgeMatchesLibrary,
    ::testing::Values(std::vector<std::string>{},
                      std::vector<std::string>{"TARVEN_SIM_PORT_ACCESS=denied"},
                      std::vector<std::string>{"TARVEN_SIM_UNIT=absent"},
                      std::vector<std::string>{"TARVEN_SIM_MODEL=QX8A"},
                      std::vector<std::string>{"TARVEN_SIM_DEVINFO=fails", "TARVEN_SIM_DEVSTATUS=fails"},
                      std::vector<std::string>{"TARVEN_SIM_FIRMWARE=2.0.15", "TARVEN_SIM_STATUS=0x1000,0x00",
                                               "TARVEN_SIM_BRIGHTNESS=15,0", "TARVEN_SIM_TILT=10"},
                      std::vector<std::string>{"TARVEN_SIM_TUNER=absent-high"},
                      std::vector<std::string>{"TARVEN_SIM_TUNER_COUNTER=slow", "TARVEN_SIM_STATIONS=AM:810"}));

TEST(Bridge, ExportsEachFunctionUnderBothNames) {
  const HMODULE bridge = LoadLibraryW(kBridge.c_str());
  ASSERT_NE(bridge, nullptr);
  for (const auto& names : kExports)
    EXPECT_EQ(GetProcAddress(bridge, names[1]), GetProcAddress(bridge, names[0])) << names[1];
  EXPECT_EQ(Bind(bridge, 1).IsOpenTARVEN(), 0);
  FreeLibrary(bridge);
}

TEST(Bridge, WithoutItsHostFailsEveryCallAsTheLibraryWithNeitherHalf) {
  const Settings pc({"TARVEN_SIM_UNIT=absent", "TARVEN_SIM_PORT_ACCESS=denied"});
  std::string unused;
  const std::vector<Outcome> direct = RunSession(kLibrary, TempPath("tarven-direct.txt"), &unused);
  EXPECT_EQ(RunSession(Beside(L"bridge-missing\\TarvenK3Cmd.dll"), TempPath("tarven-missing.txt"), &unused), direct);
}

TEST(Bridge, EndsAHostThatStopsAnsweringAndFailsTheCalls) {
  const HMODULE bridge = LoadLibraryW(Beside(L"bridge-hanging\\TarvenK3Cmd.dll").c_str());
  ASSERT_NE(bridge, nullptr);
  const Library k = Bind(bridge);
  EXPECT_EQ(k.OpenTARVEN(), 3);  // after the bound
  EXPECT_THAT(HostProcesses(), IsEmpty());
  unsigned char bytes[3] = {kUntouched[0], kUntouched[1], kUntouched[2]};
  EXPECT_EQ(k.GetFwVersion(bytes), 0);
  EXPECT_THAT(bytes, ::testing::ElementsAreArray(kUntouched));
  EXPECT_EQ(k.TiltUp(1), 0);
  FreeLibrary(bridge);
}

TEST(Bridge, AfterItsHostIsKilledFailsUntilTheNextOpen) {
  const HMODULE bridge = LoadLibraryW(kBridge.c_str());
  ASSERT_NE(bridge, nullptr);
  const Library k = Bind(bridge);
  ASSERT_EQ(k.OpenTARVEN(), 0);
  ASSERT_EQ(k.OpenRadio(), 1);
  const std::vector<DWORD> hosts = HostProcesses();
  ASSERT_EQ(hosts.size(), 1u);
  const HANDLE host = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, hosts[0]);
  ASSERT_TRUE(TerminateProcess(host, 9));
  WaitForSingleObject(host, 10000);
  CloseHandle(host);

  unsigned char bytes[3] = {kUntouched[0], kUntouched[1], kUntouched[2]};
  EXPECT_EQ(k.IsOpenTARVEN(), 0);
  EXPECT_EQ(k.GetDevStatus(bytes), 0);
  EXPECT_THAT(bytes, ::testing::ElementsAreArray(kUntouched));
  EXPECT_EQ(k.IsOpenRadio(), 0);
  EXPECT_EQ(k.GetMonitorBrightness(1), 0);
  EXPECT_THAT(HostProcesses(), IsEmpty()) << "only tcx_OpenTARVEN starts a new host";

  EXPECT_EQ(k.OpenTARVEN(), 0);
  EXPECT_EQ(k.IsOpenTARVEN(), 1);
  EXPECT_EQ(k.IsOpenRadio(), 0) << "a new host has a new library";
  FreeLibrary(bridge);
}

// Each thread makes a call whose answer it knows; the one pipe must give each its own reply.
TEST(Bridge, SerialisesCallsFromSeveralThreads) {
  const HMODULE bridge = LoadLibraryW(kBridge.c_str());
  ASSERT_NE(bridge, nullptr);
  const Library k = Bind(bridge);
  ASSERT_EQ(k.OpenTARVEN(), 0);
  std::atomic<int> wrong{0};
  const auto repeat = [&wrong](auto call) {
    return std::thread([&wrong, call] {
      for (int i = 0; i < 150; ++i) wrong += !call();
    });
  };
  std::thread threads[] = {
      repeat([&k] { return k.GetMonitorBrightness(1) == 9; }),
      repeat([&k] { return k.GetMonitorBrightness(2) == 3; }),
      repeat([&k] {
        unsigned char version[3] = {};
        return k.GetFwVersion(version) == 1 && version[0] == 1 && version[1] == 4 && version[2] == 2;
      }),
      repeat([&k] { return k.OpenTARVEN() == 0 && k.IsOpenTARVEN() == 1; }),
  };
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
  FreeLibrary(bridge);
}

// A program that opens the unit and the radio through the bridge and then exits without closing
// ("exit"), or waits to be killed ("wait").
int Client(const char* how) {
  const HMODULE bridge = LoadLibraryW(kBridge.c_str());
  if (!bridge) return 2;
  const Library k = Bind(bridge);
  if (k.OpenTARVEN() != 0 || k.OpenRadio() != 1) return 3;
  if (strcmp(how, "wait") == 0) Sleep(INFINITE);
  return 0;
}

class HostEndsWithItsProgram : public ::testing::TestWithParam<const char*> {};

TEST_P(HostEndsWithItsProgram, ClosingTheUnit) {
  const std::string report = TempPath("tarven-client.txt");
  DeleteFileA(report.c_str());
  const Settings reporting({"TARVEN_SIM_REPORT=" + report});
  std::wstring commandLine = L"\"" + Beside(L"bridge_tests.exe") + L"\" --client ";
  for (const char* c = GetParam(); *c; ++c) commandLine += static_cast<wchar_t>(*c);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION client;
  ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &client));
  CloseHandle(client.hThread);
  if (strcmp(GetParam(), "wait") == 0) {
    EXPECT_TRUE(WaitFor([&] { return Reports(ReadText(report), "parallel.radioOff=0"); })) << ReadText(report);
    TerminateProcess(client.hProcess, 9);
  }
  WaitForSingleObject(client.hProcess, 60000);
  DWORD exitCode = 0;
  GetExitCodeProcess(client.hProcess, &exitCode);
  CloseHandle(client.hProcess);
  if (strcmp(GetParam(), "exit") == 0) {
    EXPECT_EQ(exitCode, 0u);
  }
  EXPECT_TRUE(WaitFor([] { return HostProcesses().empty(); }));
  const std::string closed = ReadText(report);
  EXPECT_TRUE(Reports(closed, "monitor.openHandles=0") && Reports(closed, "portIo=0") &&
              Reports(closed, "parallel.radioOff=1"))
      << closed;
}

INSTANTIATE_TEST_SUITE_P(ExitingOrKilled, HostEndsWithItsProgram, ::testing::Values("exit", "wait"));

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--client") == 0) return Client(argv[2]);
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
