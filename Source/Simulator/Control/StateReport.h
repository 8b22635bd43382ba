// A text report of what the simulated PC and its devices hold, for tests that drive a whole
// program (such as the sample panel) from another process. When TARVEN_SIM_REPORT names a
// file, the stand-in DLLs bring it up to date at the end of every call into them: one
// "key=value" line each, the PC's own lines first, then each device's.
#pragma once

#include <string>

namespace sim {

class SimulatedPc;

std::string StateReportText(const SimulatedPc& pc);

// Writes StateReportText(Pc()) to the file TARVEN_SIM_REPORT names; nothing when it is unset.
void WriteStateReport();

}  // namespace sim
