#include "PcRecords.h"

#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace sim {
namespace {

template <std::size_t N>
void Copy(char (&to)[N], const std::string& from) {
  std::memset(to, 0, N);
  std::memcpy(to, from.data(), from.size() < N - 1 ? from.size() : N - 1);
}

}  // namespace

ProgramRecord* PcRecords::ThisProgram() {
  const std::uint32_t pid = ThisProcessId();
  ProgramRecord* free = nullptr;
  for (ProgramRecord& program : programs) {
    if (program.pid == pid) return &program;
    if (!free && (program.pid == 0 || !ProcessRunning(program.pid))) free = &program;
  }
  if (!free) return nullptr;
  *free = {};
  free->pid = pid;
  Copy(free->name, ThisProgramName());
  return free;
}

void PcRecords::Record(const std::string& text) {
  CallRecord& call = log[calls++ % kCalls];
  call = {};
  call.atMs = WallClockMs();
  call.pid = ThisProcessId();
  Copy(call.program, ThisProgramName());
  Copy(call.text, text);
}

std::uint64_t WallClockMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

#ifdef _WIN32

std::uint32_t ThisProcessId() { return GetCurrentProcessId(); }

std::string ThisProgramName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const char* name = std::strrchr(path, '\\');
  return name ? name + 1 : path;
}

bool ProcessRunning(std::uint32_t pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

#else

std::uint32_t ThisProcessId() { return static_cast<std::uint32_t>(getpid()); }
std::string ThisProgramName() { return "host"; }
bool ProcessRunning(std::uint32_t pid) { return pid == ThisProcessId(); }

#endif

}  // namespace sim
