// Opening and identifying the monitor unit.
#pragma once

// Opens the monitor unit and checks its model; true when a recognised unit is open.
bool OpenDevice();
