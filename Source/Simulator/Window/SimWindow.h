// The simulator's window: holds the simulated PC that programs join (WindowPcName), shows it
// live and changes it through its controls. Returns the program's exit code.
#pragma once

int RunSimWindow();
