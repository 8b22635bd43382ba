// The radio tuner: tuning and the channel count measurement, built on the tuner bus's frames.
#pragma once

#include "PlatformTypes.h"

// Values of the parallel data register while the radio is open and once it is closed. They
// differ only in bit 3, the radio-off line; the bus lines (bits 0-2) are all low.
constexpr BYTE kRadioOpenPattern = 0x90;
constexpr BYTE kRadioClosedPattern = 0x98;

// Stores the divisor of band (0 FM, any other value AM) and frequency (FM in 10 kHz steps,
// AM in kHz), and sends the divisor and mode frames in their tuning form.
void TuneChannel(int band, int frequency);

// Measures the tuner's channel count (0 to 0xFFFFF) on the stored divisor with band's bytes,
// retrying once when the tuner sets its indicator bit. Leaves the mode frame counting.
int ReadChannelCount(int band);
