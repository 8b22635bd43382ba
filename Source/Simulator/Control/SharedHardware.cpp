#include "SharedHardware.h"

#include "Simulator.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace sim {

void SaveHardware(const SimulatedPc& pc, SharedHardware& block) {
  block.parallelPort = pc.parallelPort;
  block.superIo = pc.superIo;
  pc.tuner.SaveShared(block.tuner);
  pc.monitor.SaveShared(block.monitor);
}

void LoadHardware(const SharedHardware& block, SimulatedPc& pc) {
  pc.parallelPort = block.parallelPort;
  pc.superIo = block.superIo;
  pc.tuner.LoadShared(block.tuner);
  pc.monitor.LoadShared(block.monitor);
}

void ShareHardware(SimulatedPc& pc, SharedHardware& block, void* lock, bool fresh) {
  if (fresh)
    SaveHardware(pc, block);
  else
    LoadHardware(block, pc);
  pc.sharedHardware = &block;
  pc.sharedLock = lock;
}

#ifdef _WIN32

namespace {

// The mapped memory: the hardware, once made.
struct NamedBlock {
  LONG made;
  SharedHardware hardware;
};

}  // namespace

// Local\: the processes of one session share a simulated PC, as they share a desktop.
bool ShareHardwareNamed(SimulatedPc& pc, const std::string& name) {
  const std::string prefix = "Local\\TarvenSim." + name;
  HANDLE lock = CreateMutexA(nullptr, FALSE, (prefix + ".lock").c_str());
  if (!lock) return false;
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(NamedBlock), prefix.c_str());
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(NamedBlock)) : nullptr;
  if (!view) {
    if (mapping) CloseHandle(mapping);
    CloseHandle(lock);
    return false;
  }
  // The handles stay open for the life of the process: the block lives as long as one of the
  // processes that share it.
  auto* block = static_cast<NamedBlock*>(view);
  LockHardware(lock);
  ShareHardware(pc, block->hardware, lock, block->made == 0);
  block->made = 1;
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
void LockHardware(void*) {}
void UnlockHardware(void*) {}

#endif

}  // namespace sim
