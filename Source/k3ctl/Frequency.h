// The tuner's two bands, frequencies in them as users write them ("93.5M", "810kHz",
// "fm 9350") and as k3ctl prints them ("FM 93.50 MHz"). Frequencies are kept in kHz.
#pragma once

#include <cstddef>

struct Band {
  const char* name;       // "FM", "AM"
  int flag;               // the library's band argument: TCX_BAND_FM, TCX_BAND_AM
  int lowestKhz, highestKhz;
  int gridKhz;            // every valid frequency lies on this grid
  int rawUnitKhz;         // the library's frequency unit: FM 10 kHz, AM 1 kHz
  // The band scan: steps under mergeBelowKhz see one station on several neighbouring steps.
  int scanFromKhz, scanToKhz, scanStepKhz;
  int mergeBelowKhz;
};

extern const Band kFm;
extern const Band kAm;

// "fm" or "am" in any case; nullptr for anything else.
const Band* BandNamed(const char* name);

// The library's frequency argument for khz on band.
inline int RawFrequency(const Band& band, int khz) { return khz / band.rawUnitKhz; }

// A frequency with its unit: "93.5M", "93.50MHz", "810k", "810kHz" (units in any case). The
// band follows from the value. On failure returns false with a message naming the valid range.
bool ParseFrequency(const char* text, const Band** band, int* khz, char* error, std::size_t errorSize);

// A frequency of a known band: with a unit as above, or a bare number in the library's raw
// unit ("9350" on FM is 93.50 MHz, "810" on AM is 810 kHz); on FM, a bare number with a
// decimal point below 1000 is MHz ("93.5").
bool ParseBandFrequency(const Band& band, const char* text, int* khz, char* error, std::size_t errorSize);

// A scan step: kHz as a bare number, or with a unit ("100", "100k", "0.1M"); a positive
// multiple of the band's grid.
bool ParseStep(const Band& band, const char* text, int* khz, char* error, std::size_t errorSize);

// "93.50 MHz" on FM, "810 kHz" on AM, right-aligned in width characters (0: no padding).
void FormatFrequency(const Band& band, int khz, int width, char* out, std::size_t outSize);
