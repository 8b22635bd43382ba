#include "Frequency.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "TarvenK3Functions.h"

// FM: 76.0-108.0 MHz on a 10 kHz grid, scanned 87.5-108.0 MHz in 100 kHz steps; one station
// spans a few tens of kHz of detection. AM: 520-1710 kHz on a 1 kHz grid, scanned 531-1602 kHz
// in 9 kHz steps; one station spans a few kHz.
const Band kFm = {"FM", TCX_BAND_FM, 76000, 108000, 10, 10, 87500, 108000, 100, 50};
const Band kAm = {"AM", TCX_BAND_AM, 520, 1710, 1, 1, 531, 1602, 9, 5};

namespace {

const Band* const kBands[] = {&kFm, &kAm};

bool SameText(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

struct Unit {
  const char* suffix;
  long long hz;
};
const Unit kUnits[] = {{"M", 1000000}, {"MHz", 1000000}, {"k", 1000}, {"kHz", 1000}};

// Digits with an optional fraction, then a unit of kUnits (or none when unitless is given,
// which then is the unit). The value in Hz; false when the text does not read so or is finer
// than 1 Hz.
bool ParseAmount(const char* text, long long unitless, long long* hz) {
  long long whole = 0, fraction = 0, scale = 1;
  const char* p = text;
  if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
    whole = whole * 10 + (*p - '0');
    if (whole > 1000000) return false;
  }
  bool fine = false;  // a non-zero digit below the unit's 1 Hz
  int fractionDigits = 0;
  if (*p == '.') {
    for (++p; std::isdigit(static_cast<unsigned char>(*p)); ++p, ++fractionDigits) {
      if (fractionDigits < 6) {
        fraction = fraction * 10 + (*p - '0');
        scale *= 10;
      } else if (*p != '0') {
        fine = true;
      }
    }
    if (fractionDigits == 0) return false;
  }
  long long unit = unitless;
  if (*p) {
    unit = 0;
    for (const Unit& u : kUnits)
      if (SameText(p, u.suffix)) unit = u.hz;
  }
  if (unit == 0) return false;
  if (fine || (fraction * unit) % scale != 0) return false;
  *hz = whole * unit + fraction * unit / scale;
  return true;
}

void Describe(const Band& band, char* out, std::size_t size) {
  char lowest[16], highest[16];
  FormatFrequency(band, band.lowestKhz, 0, lowest, sizeof lowest);
  FormatFrequency(band, band.highestKhz, 0, highest, sizeof highest);
  std::snprintf(out, size, "%s runs from %s to %s in steps of %d kHz", band.name, lowest, highest,
                band.gridKhz);
}

bool InBand(const Band& band, int khz) { return khz >= band.lowestKhz && khz <= band.highestKhz; }

bool OnGrid(const Band& band, long long hz) {
  return hz % (band.gridKhz * 1000LL) == 0 && InBand(band, static_cast<int>(hz / 1000));
}

// note follows the range: how a bare number is read, where that is not what the range says.
bool NotInBand(const Band& band, const char* text, char* error, std::size_t errorSize, const char* note = "") {
  char range[96];
  Describe(band, range, sizeof range);
  std::snprintf(error, errorSize, "%s is not a valid %s frequency: %s%s", text, band.name, range, note);
  return false;
}

bool Bare(const char* text) { return text[std::strspn(text, "0123456789.")] == '\0'; }

// The unit of a bare number on band: its raw unit, except that on FM a number with a decimal
// point below 1000 is MHz, as radio tools write FM ("93.5"). In the raw 10 kHz unit such a
// number would lie below the band; from 1000 up ("9350.0") it keeps the raw unit.
long long BareUnitHz(const Band& band, const char* text) {
  if (&band == &kFm && std::strchr(text, '.') && std::strtol(text, nullptr, 10) < 1000) return 1000000;
  return band.rawUnitKhz * 1000LL;
}

constexpr char kBareFmNote[] = "; on FM, 9350 and 93.5 both mean 93.50 MHz";

bool Unreadable(const char* what, const char* text, const char* forms, char* error, std::size_t errorSize) {
  std::snprintf(error, errorSize, "bad %s '%s': write it as %s", what, text, forms);
  return false;
}

constexpr char kFrequencyForms[] = "93.5M, 93.50MHz, 810k or 810kHz, or as fm 9350 or am 810";

}  // namespace

const Band* BandNamed(const char* name) {
  for (const Band* band : kBands)
    if (SameText(name, band->name)) return band;
  return nullptr;
}

bool ParseFrequency(const char* text, const Band** band, int* khz, char* error, std::size_t errorSize) {
  long long hz = 0;
  if (!ParseAmount(text, 0, &hz)) return Unreadable("frequency", text, kFrequencyForms, error, errorSize);
  for (const Band* candidate : kBands) {
    if (hz < candidate->lowestKhz * 1000LL || hz > candidate->highestKhz * 1000LL) continue;
    if (!OnGrid(*candidate, hz)) return NotInBand(*candidate, text, error, errorSize);
    *band = candidate;
    *khz = static_cast<int>(hz / 1000);
    return true;
  }
  char fm[96], am[96];
  Describe(kFm, fm, sizeof fm);
  Describe(kAm, am, sizeof am);
  std::snprintf(error, errorSize, "%s is in neither band: %s; %s", text, fm, am);
  return false;
}

bool ParseBandFrequency(const Band& band, const char* text, int* khz, char* error, std::size_t errorSize) {
  long long hz = 0;
  if (!ParseAmount(text, BareUnitHz(band, text), &hz))
    return Unreadable("frequency", text, kFrequencyForms, error, errorSize);
  if (!OnGrid(band, hz))
    return NotInBand(band, text, error, errorSize, &band == &kFm && Bare(text) ? kBareFmNote : "");
  *khz = static_cast<int>(hz / 1000);
  return true;
}

bool ParseStep(const Band& band, const char* text, int* khz, char* error, std::size_t errorSize) {
  long long hz = 0;
  if (!ParseAmount(text, 1000, &hz)) return Unreadable("step", text, "kHz: 100, 100k or 0.1M", error, errorSize);
  const long long grid = band.gridKhz * 1000LL;
  if (hz == 0 || hz % grid != 0 || hz > (band.highestKhz - band.lowestKhz) * 1000LL) {
    std::snprintf(error, errorSize, "step %s is not a whole number of %s's %d kHz steps between %d and %d kHz", text,
                  band.name, band.gridKhz, band.gridKhz, band.highestKhz - band.lowestKhz);
    return false;
  }
  *khz = static_cast<int>(hz / 1000);
  return true;
}

void FormatFrequency(const Band& band, int khz, int width, char* out, std::size_t outSize) {
  char number[16];
  if (&band == &kFm)
    std::snprintf(number, sizeof number, "%d.%02d", khz / 1000, khz % 1000 / 10);
  else
    std::snprintf(number, sizeof number, "%d", khz);
  std::snprintf(out, outSize, "%*s %s", width, number, &band == &kFm ? "MHz" : "kHz");
}
