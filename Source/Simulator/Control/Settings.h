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
  // Sets it on pc; false when value does not read as one of values (what it could read of it
  // is set all the same, as a program started with such a variable has always found it).
  bool (*apply)(SimulatedPc& pc, const std::string& value);
  // What pc has, as this setting's text; null for the settings of one program's own view (its
  // waveform, which PC it joins), which a running PC cannot take.
  std::string (*show)(const SimulatedPc& pc);
};

// Every setting, in the order they are applied.
const std::vector<Setting>& Settings();

// Sets the setting of variable on pc to value, as the environment variable would. A variable
// that names no setting is a fault.
void Apply(SimulatedPc& pc, const char* variable, const std::string& value);

// Applies the TARVEN_SIM_* environment variables that are set to pc.
void ConfigureFromEnvironment(SimulatedPc& pc);

// The setting a script names by key: the variable in lower case without TARVEN_SIM_
// ("port_access"); null when none is.
const Setting* SettingOfKey(const std::string& key);
std::string KeyOf(const Setting& setting);

// Sets each "key=value" of assignments on pc, all or none: false, with pc as it was, when one
// names no setting a running PC takes or its value does not read; *error then says which and
// what it takes.
bool SetKeys(SimulatedPc& pc, const std::vector<std::string>& assignments, std::string* error);

}  // namespace sim
