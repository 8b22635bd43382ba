#include "SharedHardware.h"

#include "Simulator.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace sim {

void SaveHardware(const SimulatedPc& pc, SharedHardware& block) { block = pc; }

void LoadHardware(const SharedHardware& block, SimulatedPc& pc) { static_cast<SharedHardware&>(pc) = block; }

void ShareHardware(SimulatedPc& pc, SharedHardware& block, void* lock, bool fresh) {
  if (fresh)
    SaveHardware(pc, block);
  else
    LoadHardware(block, pc);
  pc.sharedHardware = &block;
  pc.sharedLock = lock;
}

std::string WindowPcName() {
  const char* named = std::getenv("TARVEN_SIM_SHARED");
  return named && *named ? named : kWindowPc;
}

#ifdef _WIN32

namespace {

std::string ObjectName(const std::string& name, const char* suffix) { return "Local\\TarvenSim." + name + suffix; }

}  // namespace

bool WindowRunning(const std::string& name) {
  HANDLE mark = OpenEventA(SYNCHRONIZE, FALSE, ObjectName(name, ".window").c_str());
  if (mark) CloseHandle(mark);
  return mark != nullptr;
}

void* HoldWindowMark(const std::string& name) {
  return CreateEventA(nullptr, TRUE, FALSE, ObjectName(name, ".window").c_str());
}

bool SharedPcExists(const std::string& name) {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, ObjectName(name, "").c_str());
  if (mapping) CloseHandle(mapping);
  return mapping != nullptr;
}

// Local\: the processes of one session share a simulated PC, as they share a desktop.
bool ShareHardwareNamed(SimulatedPc& pc, const std::string& name) {
  HANDLE lock = CreateMutexA(nullptr, FALSE, ObjectName(name, ".lock").c_str());
  if (!lock) return false;
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(PcBlock), ObjectName(name, "").c_str());
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(PcBlock)) : nullptr;
  if (!view) {
    if (mapping) CloseHandle(mapping);
    CloseHandle(lock);
    return false;
  }
  // The handles stay open for the life of the process: the block lives as long as one of the
  // processes that share it.
  auto* block = static_cast<PcBlock*>(view);
  LockHardware(lock);
  ShareHardware(pc, block->hardware, lock, block->made == 0);
  block->made = 1;
  pc.records = &block->records;
  UnlockHardware(lock);
  return true;
}

void LockHardware(void* lock) {
  // An abandoned mutex (its holder died in a call) is acquired all the same: the block holds
  // what the last completed call left.
  if (lock) WaitForSingleObject(static_cast<HANDLE>(lock), INFINITE);
}

void UnlockHardware(void* lock) {
  if (lock) ReleaseMutex(static_cast<HANDLE>(lock));
}

#else

bool ShareHardwareNamed(SimulatedPc&, const std::string&) { return false; }
bool WindowRunning(const std::string&) { return false; }
void* HoldWindowMark(const std::string&) { return nullptr; }
bool SharedPcExists(const std::string&) { return false; }
void LockHardware(void*) {}
void UnlockHardware(void*) {}

#endif

}  // namespace sim
