// vcd_calls CASE FILE: radio calls with the simulator writing the port's lines to FILE, started
// by the host API after a first tune, copied to FILE.returned as the last call returns, closed
// at exit. Prints the status bytes the tuner answered meanwhile.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Simulator.h"
#include "TarvenK3Cmd.h"

namespace {

struct Case {
  std::string name;
  void (*calls)();
};
const Case kCases[] = {
    {"tune", [] { tcx_SetChannelRadio(0, 9350); }},
    {"status", [] { tcx_GetFMStereoState(); }},
    {"detect", [] { tcx_SetChannelRadio(0, 9350), tcx_GetChannelDetectState(0); }},
    {"close-radio", [] { tcx_CloseRadio(); }},
    // What an engineer captures at the bench: the radio opened, a tune, a stereo read and a
    // detection on each band.
    {"bench", [] {
       tcx_CloseRadio(), tcx_OpenRadio(), tcx_SetChannelRadio(0, 9350), tcx_GetFMStereoState();
       tcx_GetChannelDetectState(0), tcx_SetChannelRadio(1, 810), tcx_GetChannelDetectState(1);
     }},
};

}  // namespace

int main(int argc, char** argv) {
  for (const Case& c : kCases) {
    if (argc != 3 || c.name != argv[1]) continue;
    const std::string file = argv[2];
    sim::SimulatedPc& pc = sim::Pc();
    if (tcx_OpenTARVEN() != 0 || !tcx_OpenRadio() || !tcx_SetChannelRadio(0, 9890)) return 1;
    if (!pc.StartVcd(file)) return 1;
    const std::size_t before = pc.tunerLog.transfers.size();
    c.calls();
    std::filesystem::copy_file(file, file + ".returned",
                               std::filesystem::copy_options::overwrite_existing);
    for (std::size_t i = before; i < pc.tunerLog.transfers.size(); ++i)
      if (pc.tunerLog.transfers[i].address == sim::Tuner::kStatusAddress)
        for (const std::uint8_t byte : pc.tunerLog.transfers[i].bytes) std::printf("%02X ", byte);
    return pc.faults.empty() ? 0 : 1;
  }
  std::fprintf(stderr, "usage: vcd_calls tune|status|detect|close-radio|bench FILE\n");
  return 2;
}
