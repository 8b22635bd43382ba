// The tuner's three register frames and the constant bytes of each band: the divisor frame
// and the mode frame written to it, the status frame read from it, and the channel counts that
// mean a station is received.
#pragma once

#include "PlatformTypes.h"
#include "TarvenK3Functions.h"
#include "TunerBus.h"

constexpr BYTE kDivisorFrameAddress = 0x28;  // written: divisor bytes and the band's bytes 3-4
constexpr BYTE kModeFrameAddress = 0x29;     // written: tuning or counting mode
constexpr BYTE kStatusFrameAddress = 0x2A;   // read: indicator bit and channel count

// Bytes 1-4 of a written frame.
struct FrameBytes {
  BYTE byte1, byte2, byte3, byte4;
};

// Byte 4 of the divisor frame's retry variant is the normal byte 4 with these bits set.
constexpr BYTE kRetryBits = 0x0A;

struct BandFrames {
  int divisorOffset;   // added to the frequency: 10.8 MHz in the band's unit
  BYTE divisorByte3;   // divisor frame bytes 3 and 4 (bytes 1-2 are the divisor)
  BYTE divisorByte4;
  BYTE retryByte4;     // byte 4 of the retry variant, sent only while counting
  FrameBytes tuningMode;
  FrameBytes countingMode;
  int lowestHit;       // channel counts that mean a station, both ends included
  int highestHit;
};

// FM: frequency in 10 kHz steps.
constexpr BandFrames kFmFrames = {
    1080, 0x8E, 0x70, 0x70 | kRetryBits,
    {0xC3, 0x80, 0xC9, 0x01}, {0xC3, 0xC1, 0xC9, 0x01},
    43151, 43299,
};

// AM: frequency in kHz.
constexpr BandFrames kAmFrames = {
    10800, 0xBD, 0x52, 0x52 | kRetryBits,
    {0xC3, 0x82, 0xCA, 0x03}, {0xC3, 0x83, 0xCA, 0x03},
    3591, 3609,
};

// TCX_BAND_FM is FM; every other value is AM.
inline const BandFrames& FramesForBand(int band) { return band == TCX_BAND_FM ? kFmFrames : kAmFrames; }

// The status frame, byte 0 received first.
using StatusFrame = BYTE[kTunerReadLength];
constexpr BYTE kIndicatorBit = 0x04;  // in byte 0: clear for FM stereo, set to retry a count

// The 20-bit channel count: byte 1 gives bits 19-12, byte 2 bits 11-4, the high nibble of
// byte 3 bits 3-0.
inline int ChannelCount(const StatusFrame& status) {
  return status[1] * 4096 + status[2] * 16 + (status[3] >> 4);
}
