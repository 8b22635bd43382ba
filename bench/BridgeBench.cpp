// What a call through the 64-bit DLL costs (win64 build, under wine64, with the 64-bit host):
// a bridged tcx_IsOpenTARVEN against a bare round trip of the same sizes over a pipe pair to a
// child that only echoes, and a bridged station detection against one made by the library
// loaded in this process. Beside them, what the machine-wide unit lock adds to every call that
// touches the ports, uncontended, against a tune's time on the bus at 1 us per port access.
// Run from the build's bin folder (bin64\ holds the bridge).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BridgeProtocol.h"
#include "PipeIo.h"
#include "SimControl.h"
#include "TarvenK3Binder.h"

namespace {

constexpr int kRoundTrips = 2000;
constexpr int kDetections = 15;
constexpr int kLockTurns = 2000;
constexpr double kSecondsPerPortAccess = 1e-6;

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> seconds) {
  std::sort(seconds.begin(), seconds.end());
  return seconds[seconds.size() / 2];
}

// The two calls in turn, runs times each, so that a load on the machine weighs on both alike;
// the median seconds of each.
template <typename First, typename Second>
void TimeInTurn(int runs, First first, Second second, double* firstMedian, double* secondMedian) {
  std::vector<double> firsts, seconds;
  for (int i = 0; i < runs; ++i) {
    double start = Now();
    first();
    firsts.push_back(Now() - start);
    start = Now();
    second();
    seconds.push_back(Now() - start);
  }
  *firstMedian = Median(firsts);
  *secondMedian = Median(seconds);
}

std::string Beside(const char* name) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\') + 1) + name;
}

// The child's side of the bare round trip: a reply for every request, nothing else.
int Echo(HANDLE requests, HANDLE replies) {
  BridgeRequest request;
  const BridgeReply reply = {1, {0, 0, 0, 0}};
  while (ReadWhole(requests, &request, sizeof request))
    if (!WriteWhole(replies, &reply, sizeof reply)) break;
  return 0;
}

// A pipe pair to a child that echoes.
struct BarePipe {
  HANDLE requests, replies, child;

  BarePipe() {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE requestRead, replyWrite;
    CreatePipe(&requestRead, &requests, &inheritable, 0);
    CreatePipe(&replies, &replyWrite, &inheritable, 0);
    SetHandleInformation(requests, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(replies, HANDLE_FLAG_INHERIT, 0);
    std::string commandLine = "\"" + Beside("bridge_bench.exe") + "\" --echo " +
                              std::to_string(reinterpret_cast<ULONG_PTR>(requestRead)) + " " +
                              std::to_string(reinterpret_cast<ULONG_PTR>(replyWrite));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
      std::printf("cannot start the echo child\n");
      std::exit(1);
    }
    CloseHandle(started.hThread);
    child = started.hProcess;
    CloseHandle(requestRead);
    CloseHandle(replyWrite);
  }
  ~BarePipe() {
    CloseHandle(requests);
    WaitForSingleObject(child, 10000);
    CloseHandle(child);
    CloseHandle(replies);
  }
  void RoundTrip() {
    const BridgeRequest request = {unsigned(TcxFunction::IsOpenTARVEN), {0, 0}, {0, 0, 0, 0}};
    BridgeReply reply;
    WriteWhole(requests, &request, sizeof request);
    ReadWhole(replies, &reply, sizeof reply);
  }
};

HMODULE Load(const std::string& path) {
  const HMODULE library = LoadLibraryA(path.c_str());
  if (!library) {
    std::printf("cannot load %s\n", path.c_str());
    std::exit(1);
  }
  return library;
}

TcxEntryPoints Bound(HMODULE library) {
  TcxEntryPoints entries;
  TcxFunction missing;
  if (!TcxBindAll(library, &entries, &missing)) {
    std::printf("%s is not exported\n", TcxInfo(missing).decoratedName);
    std::exit(1);
  }
  return entries;
}

// The radio open and tuned to a station, ready for detections.
decltype(&tcx_GetChannelDetectState) TunedDetection(const TcxEntryPoints& entries) {
  entries.OpenTARVEN();
  entries.OpenRadio();
  entries.SetChannelRadio(0, 9350);
  return entries.GetChannelDetectState;
}

// The port accesses of one tune, counted in the simulator's trace.
int TunePortAccesses(const TcxEntryPoints& entries) {
  TarvenSim_ClearTrace();
  entries.SetChannelRadio(0, 9350);
  int accesses = 0;
  for (int i = 0; i < TarvenSim_TraceLength(); ++i) {
    TarvenSimEvent event;
    TarvenSim_TraceEvent(i, &event);
    if (event.kind != TARVENSIM_CALL) ++accesses;
  }
  return accesses;
}

// The median of one take and release of the unit lock, with the wait a call makes.
double UnitLockTurn() {
  const HANDLE unitLock = CreateMutexExA(nullptr, TCX_UNIT_LOCK_NAME, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
  std::vector<double> turns;
  for (int i = 0; i < kLockTurns; ++i) {
    const double start = Now();
    WaitForSingleObject(unitLock, 10000);
    ReleaseMutex(unitLock);
    turns.push_back(Now() - start);
  }
  CloseHandle(unitLock);
  return Median(turns);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--echo") == 0)
    return Echo(reinterpret_cast<HANDLE>(std::strtoull(argv[2], nullptr, 10)),
                reinterpret_cast<HANDLE>(std::strtoull(argv[3], nullptr, 10)));

  const HMODULE bridge = Load(Beside("bin64\\TarvenK3Cmd.dll"));
  const HMODULE library = Load(Beside("TarvenK3Cmd.dll"));
  const auto isOpen = Bound(bridge).IsOpenTARVEN;
  const auto bridgedDetect = TunedDetection(Bound(bridge));  // the host has started
  const auto directDetect = TunedDetection(Bound(library));
  double bare, bridged, direct, bridgedDetection;
  {
    BarePipe pipe;
    pipe.RoundTrip();
    TimeInTurn(kRoundTrips, [&] { pipe.RoundTrip(); }, [&] { isOpen(); }, &bare, &bridged);
  }
  TimeInTurn(kDetections, [&] { directDetect(0); }, [&] { bridgedDetect(0); }, &direct, &bridgedDetection);
  const int tuneAccesses = TunePortAccesses(Bound(library));
  const double lockTurn = UnitLockTurn();
  FreeLibrary(library);
  FreeLibrary(bridge);

  char bareRow[64];
  std::snprintf(bareRow, sizeof bareRow, "bare pipe round trip, %u-byte request, %u-byte reply",
                static_cast<unsigned>(sizeof(BridgeRequest)), static_cast<unsigned>(sizeof(BridgeReply)));
  std::printf("The 64-bit DLL and its host (medians)\n");
  std::printf("  %-52s %9.1f us\n", bareRow, bare * 1e6);
  std::printf("  %-52s %9.1f us   ratio %.2f (goal <= 1.5)\n", "bridged tcx_IsOpenTARVEN", bridged * 1e6,
              bridged / bare);
  std::printf("  %-52s %9.2f ms\n", "station detection, library in this process", direct * 1e3);
  std::printf("  %-52s %9.2f ms   ratio %.3f (goal <= 1.01)\n", "station detection through the bridge",
              bridgedDetection * 1e3, bridgedDetection / direct);
  char tuneRow[64];
  std::snprintf(tuneRow, sizeof tuneRow, "a tune on the bus, %d port accesses at 1 us", tuneAccesses);
  std::printf("The machine-wide unit lock, uncontended (median)\n");
  std::printf("  %-52s %9.1f us\n", "one take and release, as a call makes it", lockTurn * 1e6);
  std::printf("  %-52s %9.1f us   lock adds %.1f%%\n", tuneRow, tuneAccesses * kSecondsPerPortAccess * 1e6,
              100.0 * lockTurn / (tuneAccesses * kSecondsPerPortAccess));
  return 0;
}
