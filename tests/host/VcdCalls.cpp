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
};

}  // namespace

int main(int argc, char** argv) {
  for (const Case& c : kCases) {
    if (argc != 3 || c.name != argv[1]) continue;
    const std::string file = argv[2];
    sim::SimulatedPc& pc = sim::Pc();
    if (tcx_OpenTARVEN() != 0 || !tcx_OpenRadio() || !tcx_SetChannelRadio(0, 9890)) return 1;
    if (!pc.StartVcd(file)) return 1;
    const std::size_t before = pc.tuner.transfers.size();
    c.calls();
    std::filesystem::copy_file(file, file + ".returned",
                               std::filesystem::copy_options::overwrite_existing);
    for (std::size_t i = before; i < pc.tuner.transfers.size(); ++i)
      if (pc.tuner.transfers[i].address == sim::Tuner::kStatusAddress)
        for (const std::uint8_t byte : pc.tuner.transfers[i].bytes) std::printf("%02X ", byte);
    return pc.faults.empty() ? 0 : 1;
  }
  std::fprintf(stderr, "usage: vcd_calls tune|status|detect|close-radio FILE\n");
  return 2;
}
