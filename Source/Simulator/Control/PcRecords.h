// What the simulator's window shows of the programs on a shared simulated PC, kept beside its
// hardware in the memory they map: which programs use it, and the last calls they made into
// the stand-ins, as text. Fixed-width fields, the same in 32-bit and 64-bit processes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>

namespace sim {

struct ProgramRecord {
  std::uint32_t pid;          // 0: a free row
  std::int32_t openHandles;   // monitor unit handles it holds open
  std::uint8_t portIo;        // it has port I/O set up
  std::uint8_t reserved[3];
  char name[32];              // its program file's name
};

struct CallRecord {
  std::uint64_t atMs;  // wall-clock time, milliseconds since 1970
  std::uint32_t pid;
  std::uint32_t reserved;
  char program[32];
  char text[96];       // "TarVen_SetMonitorBrightness(0x4B0, 11, 6) = 0", "tuner 28: BE 28 8E 70"
};

struct PcRecords {
  static constexpr std::uint32_t kPrograms = 16;
  static constexpr std::uint32_t kCalls = 64;
  std::array<ProgramRecord, kPrograms> programs;
  std::uint32_t calls;  // calls ever recorded; the last kCalls are kept, the newest at (calls - 1) % kCalls
  std::uint32_t reserved;
  std::array<CallRecord, kCalls> log;

  // This process's row, taken when it has none (a row of a process that has ended is reused);
  // null when every row is in use.
  ProgramRecord* ThisProgram();
  void Record(const std::string& text);
  // The kept calls, oldest first, up to count of the newest.
  template <typename F>
  void EachCall(std::uint32_t count, F f) const {
    const std::uint32_t kept = calls < kCalls ? calls : kCalls;
    for (std::uint32_t i = calls - (count < kept ? count : kept); i != calls; ++i) f(log[i % kCalls]);
  }
};
static_assert(std::is_trivially_copyable_v<PcRecords>, "shared memory holds it as bytes");
static_assert(sizeof(PcRecords) == 16 * 44 + 8 + 64 * 144, "the same layout in every build");

// This process: its id, its program file's name, whether a process is still running.
std::uint32_t ThisProcessId();
std::string ThisProgramName();
bool ProcessRunning(std::uint32_t pid);
std::uint64_t WallClockMs();

}  // namespace sim
