// Makes one sequence of radio calls with the simulator writing the port's lines to a waveform
// file, for check_vcd.py to decode with sigrok-cli:
//   vcd_calls CASE FILE
// The file is started by the host API (SimulatedPc::StartVcd) where the case says, copied to
// FILE.returned as the last call returns (before it is closed at exit), and closed at exit.
// Prints the six status bytes of each status read the tuner answered while the file was written.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "Simulator.h"
#include "TarvenK3Cmd.h"

namespace {

struct Case {
  const char* name;
  bool beforeOpenRadio;  // the file starts before tcx_OpenRadio, else after a first tune
  void (*calls)();
};

const Case kCases[] = {
    {"tune", false, [] { tcx_SetChannelRadio(0, 9350); }},
    {"tune-after-open", true, [] { tcx_SetChannelRadio(0, 9350); }},
    {"status", false, [] { tcx_GetFMStereoState(); }},
    {"detect", false, [] {
       tcx_SetChannelRadio(0, 9350);
       tcx_GetChannelDetectState(0);
     }},
    {"close-radio", false, [] { tcx_CloseRadio(); }},
};

}  // namespace

int main(int argc, char** argv) {
  const Case* found = nullptr;
  for (const Case& c : kCases)
    if (argc == 3 && std::strcmp(argv[1], c.name) == 0) found = &c;
  if (!found) {
    std::fprintf(stderr, "usage: vcd_calls tune|tune-after-open|status|detect|close-radio FILE\n");
    return 2;
  }
  const std::string file = argv[2];
  sim::SimulatedPc& pc = sim::Pc();
  tcx_OpenTARVEN();
  if (found->beforeOpenRadio && !pc.StartVcd(file)) return 1;
  tcx_OpenRadio();
  if (!found->beforeOpenRadio) {
    tcx_SetChannelRadio(0, 9890);
    if (!pc.StartVcd(file)) return 1;
  }
  const std::size_t transfersBefore = pc.tuner.transfers.size();
  found->calls();
  std::filesystem::copy_file(file, file + ".returned", std::filesystem::copy_options::overwrite_existing);

  for (std::size_t i = transfersBefore; i < pc.tuner.transfers.size(); ++i) {
    const sim::TunerTransfer& transfer = pc.tuner.transfers[i];
    if (transfer.address != sim::Tuner::kStatusAddress) continue;
    for (const std::uint8_t byte : transfer.bytes) std::printf("%02X ", byte);
    std::printf("\n");
  }
  return pc.faults.empty() ? 0 : 1;
}
