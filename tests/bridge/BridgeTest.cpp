// The 64-bit TarvenK3Cmd.dll (bin64\ beside this program, its host in bin64\x86\) against the
// library itself (TarvenK3Cmd.dll beside this program), each on a simulated PC set up by the
// same TARVEN_SIM_* variables: the host's simulator reads them from the environment it
// inherits, this process's through TarvenSim_ResetFromEnvironment. bridge-missing\ holds the
// bridge without a host, bridge-hanging\ with a host that never answers.
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
  const std::wstring program(path);
  return program.substr(0, program.rfind(L'\\') + 1) + relative;
}
const std::wstring kLibrary = Beside(L"TarvenK3Cmd.dll");
const std::wstring kBridge = Beside(L"bin64\\TarvenK3Cmd.dll");

using Library = TcxEntryPoints;

// By the decorated names ("_tcx_TiltUp@4"), or the plain ones ("tcx_TiltUp").
Library BindAll(HMODULE module, bool plainNames = false) {
  if (!plainNames) return Bound(module);
  Library k;
#define TCX_BIND_PLAIN(name, result, kind, failure, bytes, parameters, arguments) \
  k.name = BindByName<decltype(&tcx_##name)>(module, "tcx_" #name);
  TCX_FUNCTIONS(TCX_BIND_PLAIN)
#undef TCX_BIND_PLAIN
  return k;
}

struct Step {
  const char* call;
  int (*make)(const Library& k, unsigned char* bytes);
};
// Every function, with arguments inside and outside their ranges, before and after opening
// and closing; the unit and the radio are left open for the unload to close.
const Step kSession[] = {
    {"GetFwVersion before opening", [](const Library& k, unsigned char* b) { return int(k.GetFwVersion(b)); }},
    {"OpenTARVEN", [](const Library& k, unsigned char*) { return k.OpenTARVEN(); }},
    {"IsOpenTARVEN", [](const Library& k, unsigned char*) { return int(k.IsOpenTARVEN()); }},
    {"GetFwVersion(null)", [](const Library& k, unsigned char*) { return int(k.GetFwVersion(nullptr)); }},
    {"GetFwVersion", [](const Library& k, unsigned char* b) { return int(k.GetFwVersion(b)); }},
    {"GetDevStatus", [](const Library& k, unsigned char* b) { return int(k.GetDevStatus(b)); }},
    {"TiltUp(7)", [](const Library& k, unsigned char*) { return int(k.TiltUp(7)); }},
    {"TiltDown(-5)", [](const Library& k, unsigned char*) { return int(k.TiltDown(-5)); }},
    {"SetMonitorBrightness(0x1FF, 3)", [](const Library& k, unsigned char*) { return int(k.SetMonitorBrightness(0x1FF, 3)); }},
    {"GetMonitorBrightness(2)", [](const Library& k, unsigned char*) { return k.GetMonitorBrightness(2); }},
    {"OpenRadio", [](const Library& k, unsigned char*) { return int(k.OpenRadio()); }},
    {"SetChannelRadio(FM, 9350)", [](const Library& k, unsigned char*) { return int(k.SetChannelRadio(0, 9350)); }},
    {"GetFMStereoState", [](const Library& k, unsigned char*) { return int(k.GetFMStereoState()); }},
    {"GetChannelDetectState(FM)", [](const Library& k, unsigned char*) { return int(k.GetChannelDetectState(0)); }},
    {"CloseRadio", [](const Library& k, unsigned char*) { return int(k.CloseRadio()); }},
    {"IsOpenRadio", [](const Library& k, unsigned char*) { return int(k.IsOpenRadio()); }},
    {"CloseTARVEN", [](const Library& k, unsigned char*) { return k.CloseTARVEN(), -1; }},
    {"GetDevStatus closed", [](const Library& k, unsigned char* b) { return int(k.GetDevStatus(b)); }},
    {"OpenTARVEN again", [](const Library& k, unsigned char*) { return k.OpenTARVEN(); }},
    {"OpenRadio again", [](const Library& k, unsigned char*) { return int(k.OpenRadio()); }},
};

// "VAR=value" settings in this process's environment (which a host started meanwhile
// inherits) and in the simulator here, for as long as it lives.
class Settings {
 public:
  explicit Settings(std::vector<std::string> settings) : settings_(std::move(settings)) {
    for (const std::string& s : settings_) _putenv(s.c_str());
    TarvenSim_ResetFromEnvironment();
  }
  ~Settings() {
    for (const std::string& s : settings_) _putenv(s.substr(0, s.find('=') + 1).c_str());
    TarvenSim_Reset();
  }

 private:
  std::vector<std::string> settings_;
};

// The simulator's report (TARVEN_SIM_REPORT) of the session or program that ran last.
const std::string kReport = [] {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return folder + std::string("tarven-bridge-test.txt");
}();
const Settings reporting({"TARVEN_SIM_REPORT=" + kReport});

std::string Report() {
  std::ostringstream text;
  text << std::ifstream(kReport, std::ios::binary).rdbuf();
  return text.str();
}

// Each call as "call -> result [bytes]", the reader's bytes starting as A5 5A C3; the report
// is left as the module's unload left it.
std::vector<std::string> RunSession(const std::wstring& module) {
  DeleteFileA(kReport.c_str());
  TarvenSim_ResetFromEnvironment();
  const HMODULE library = LoadLibraryW(module.c_str());
  EXPECT_NE(library, nullptr) << "cannot load the module: " << GetLastError();
  if (!library) return {};
  const Library k = BindAll(library, module == kBridge);
  std::vector<std::string> outcomes;
  for (const Step& step : kSession) {
    unsigned char b[3] = {0xA5, 0x5A, 0xC3};
    const int result = step.make(k, b);
    char line[80];
    snprintf(line, sizeof line, "%s -> %d [%02X %02X %02X]", step.call, result, b[0], b[1], b[2]);
    outcomes.push_back(line);
  }
  EXPECT_EQ(TarvenSim_TraceLength() != 0, module == kLibrary) << "the calls ran in the wrong process";
  FreeLibrary(library);
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

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class BridgeMatchesLibrary : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BridgeMatchesLibrary, InEveryResultBufferAndTheUnitLeftAfterUnloading) {
  const Settings pc(GetParam());
  const std::vector<std::string> direct = RunSession(kLibrary);
  const std::string directReport = Report();
  EXPECT_EQ(RunSession(kBridge), direct);
  EXPECT_THAT(directReport, HasSubstr("monitor.openHandles=0"));
  EXPECT_EQ(Report(), directReport) << "the simulated PC after unloading";
  EXPECT_THAT(HostProcesses(), IsEmpty()) << "the host outlived the DLL";
}

INSTANTIATE_TEST_SUITE_P(
    SimulatedPcs, BridgeMatchesLibrary,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"TARVEN_SIM_PORT_ACCESS=denied"},
                      std::vector<std::string>{"TARVEN_SIM_UNIT=absent"},
                      std::vector<std::string>{"TARVEN_SIM_DEVINFO=fails", "TARVEN_SIM_DEVSTATUS=fails"},
                      std::vector<std::string>{"TARVEN_SIM_FIRMWARE=2.0.15", "TARVEN_SIM_STATUS=0x1000,0x00"},
                      std::vector<std::string>{"TARVEN_SIM_TUNER_COUNTER=slow", "TARVEN_SIM_STATIONS=FM:9350"}));

TEST(Bridge, WithoutItsHostFailsEveryCallAsTheLibraryWithNeitherHalf) {
  const Settings pc({"TARVEN_SIM_UNIT=absent", "TARVEN_SIM_PORT_ACCESS=denied"});
  EXPECT_EQ(RunSession(Beside(L"bridge-missing\\TarvenK3Cmd.dll")), RunSession(kLibrary));
}

TEST(Bridge, EndsAHostThatStopsAnsweringAndFailsTheCalls) {
  const HMODULE bridge = LoadLibraryW(Beside(L"bridge-hanging\\TarvenK3Cmd.dll").c_str());
  const Library k = BindAll(bridge);
  EXPECT_EQ(k.OpenTARVEN(), 3);  // after the bound
  EXPECT_THAT(HostProcesses(), IsEmpty());
  unsigned char bytes[3] = {7, 7, 7};
  EXPECT_EQ(k.GetFwVersion(bytes), 0);
  EXPECT_THAT(bytes, ElementsAre(7, 7, 7));
  FreeLibrary(bridge);
}

TEST(Bridge, AfterItsHostIsKilledFailsUntilTheNextOpen) {
  const HMODULE bridge = LoadLibraryW(kBridge.c_str());
  const Library k = BindAll(bridge);
  ASSERT_EQ(k.OpenTARVEN(), 0);
  ASSERT_EQ(k.OpenRadio(), 1);
  ASSERT_EQ(HostProcesses().size(), 1u);
  const HANDLE host = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, HostProcesses()[0]);
  TerminateProcess(host, 9);
  WaitForSingleObject(host, 10000);
  CloseHandle(host);
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
  const Library k = BindAll(bridge);
  ASSERT_EQ(k.OpenTARVEN(), 0);
  std::atomic<int> wrong{0};
  const auto repeat = [&wrong](bool (*call)(const Library&), const Library& k) {
    return std::thread([&wrong, call, &k] { for (int i = 0; i < 150; ++i) wrong += !call(k); });
  };
  std::thread threads[] = {
      repeat([](const Library& k) { return k.GetMonitorBrightness(1) == 9; }, k),
      repeat([](const Library& k) { return k.GetMonitorBrightness(2) == 3; }, k),
      repeat([](const Library& k) { unsigned char v[3]; return k.GetFwVersion(v) == 1 && v[1] == 4 && v[2] == 2; }, k),
  };
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
  FreeLibrary(bridge);
}

// This program again, started directly (no command interpreter), with one argument; its exit
// code, or -1 when it cannot be started.
DWORD RunThisProgram(const wchar_t* argument) {
  std::wstring commandLine = L"\"" + Beside(L"bridge_tests.exe") + L"\" " + argument;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return static_cast<DWORD>(-1);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// This program again, opening the unit and the radio through the bridge and exiting without
// closing or unloading anything (main below).
TEST(Bridge, HostEndsWithItsProgramClosingTheUnit) {
  DeleteFileA(kReport.c_str());
  EXPECT_EQ(RunThisProgram(L"--open-and-exit"), 0u);
  EXPECT_THAT(HostProcesses(), IsEmpty());
  EXPECT_THAT(Report(), AllOf(HasSubstr("portIo=0"), HasSubstr("parallel.radioOff=1"),
                              HasSubstr("monitor.openHandles=0")));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "--open-and-exit") == 0) {
    const Library k = BindAll(LoadLibraryW(kBridge.c_str()));
    return k.OpenTARVEN() == 0 && k.OpenRadio() == 1 ? 0 : 1;
  }
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
