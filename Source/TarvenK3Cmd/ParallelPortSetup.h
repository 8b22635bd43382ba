// The Super I/O configuration sequence that routes the parallel port for the radio tuner.
#pragma once

// Writes the ten configuration bytes to ports 0x2E/0x2F. Needs port I/O to be initialised.
void SetupParallelPort();
