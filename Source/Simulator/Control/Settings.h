// The settings of the simulated PC, one row each: what a whole program finds set from the
// TARVEN_SIM_* environment variables when the simulator is first used, and what in-process
// tests set through the TarvenSim_* control functions, which apply the same rows with the same
// text. The settings tables of README.md and README.txt are checked against these rows when the
// host build is made (SettingsReadme.cpp).
#pragma once

#include <string>
#include <vector>

namespace sim {

class SimulatedPc;

struct Setting {
  const char* variable;   // the environment variable
  const char* values;     // what it takes: "a | b" for a choice of words, otherwise a
                          // description, with text to be typed as it stands in `backquotes`
  const char* byDefault;  // what a fresh simulated PC has, as this setting's text; "" for none
  const char* meaning;    // a note on the values, or ""
  void (*apply)(SimulatedPc& pc, const std::string& value);
};

// Every setting, in the order they are applied.
const std::vector<Setting>& Settings();

// Sets the setting of variable on pc to value, as the environment variable would. A variable
// that names no setting is a fault.
void Apply(SimulatedPc& pc, const char* variable, const std::string& value);

// Applies the TARVEN_SIM_* environment variables that are set to pc.
void ConfigureFromEnvironment(SimulatedPc& pc);

}  // namespace sim
