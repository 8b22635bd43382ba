// What each command prints on stdout: a few lines of text, or with --json one JSON document
// (lower-case keys, frequencies in kHz, booleans for yes/no).
#pragma once

#include "BandScan.h"
#include "Frequency.h"

struct InfoResult {
  bool portIo;
  bool unitFound;
  bool haveFirmware;
  unsigned char firmware[3];
  bool haveLevels;
  int day, night;
};

struct Detection {
  const Band* band;
  int khz;
  bool station;
  bool stereo;  // FM stations only
};

void PrintInfo(bool json, const InfoResult& info);
void PrintStatus(bool json, const unsigned char bits[3]);
void PrintTilt(bool json, bool up, int steps);
void PrintBrightness(bool json, int day, int night);
void PrintDetection(bool json, const Detection& detection);
void PrintScan(bool json, const ScanPlan& plan, const ScanResult& result);
