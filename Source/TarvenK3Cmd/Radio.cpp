// The six radio functions. They reach the tuner through its three frames on the tuner bus and
// a few direct writes to the parallel port, and need port I/O but not the monitor unit.
#include "Radio.h"

#include <cstdint>

#include "ApiLock.h"
#include "LibraryState.h"
#include "ParallelPortSetup.h"
#include "PlatformSleep.h"
#include "PortIo.h"
#include "TarvenK3Cmd.h"
#include "TunerBus.h"
#include "TunerFrames.h"
#include "UnitLock.h"

namespace {

// Opening the radio writes the status register back with this bit set, and this value to
// the control register.
constexpr DWORD kStatusBitSetAtOpen = 0x04;
constexpr DWORD kControlAtOpen = 0x01;

// A divisor of 256 or less is sent with a high byte of 0, 256 itself included.
constexpr std::int32_t kLargestDivisorWithoutHighByte = 256;

// Station detection: four channel counts, a station when more than two of them hit.
constexpr int kDetectionSamples = 4;
constexpr int kHitsForStation = 3;
constexpr DWORD kSampleWaitMs = 35;  // after every sample, the last included
constexpr DWORD kRetryWaitMs = 40;   // between the retry frame and the second status read

void SendDivisorFrame(const BandFrames& frames, BYTE byte4) {
  TunerBusWrite(kDivisorFrameAddress, libraryState.lastDivisorLow, libraryState.lastDivisorHigh,
                frames.divisorByte3, byte4);
}

void SendModeFrame(const FrameBytes& mode) {
  TunerBusWrite(kModeFrameAddress, mode.byte1, mode.byte2, mode.byte3, mode.byte4);
}

// Status frames are read into a zeroed buffer.
void ReadStatusFrame(StatusFrame& status) {
  for (BYTE& byte : status) byte = 0;
  TunerBusRead(kStatusFrameAddress, status);
}

bool IsHit(const BandFrames& frames, int count) {
  return count >= frames.lowestHit && count <= frames.highestHit;
}

}  // namespace

void TuneChannel(int band, int frequency) {
  const BandFrames& frames = FramesForBand(band);
  // The 32-bit signed sum, wrapping on overflow; bits 16 and up are dropped.
  const std::uint32_t divisor = static_cast<std::uint32_t>(frequency) + frames.divisorOffset;
  libraryState.lastDivisorLow = divisor & 0xFF;
  libraryState.lastDivisorHigh =
      static_cast<std::int32_t>(divisor) <= kLargestDivisorWithoutHighByte ? 0 : (divisor >> 8) & 0xFF;
  SendDivisorFrame(frames, frames.divisorByte4);
  SendModeFrame(frames.tuningMode);
}

int ReadChannelCount(int band) {
  const BandFrames& frames = FramesForBand(band);
  SendModeFrame(frames.countingMode);
  StatusFrame status;
  ReadStatusFrame(status);
  if (status[0] & kIndicatorBit) {
    // One retry: the divisor again, then its retry variant, and a second read after a wait.
    // The second read's indicator bit is not looked at.
    SendDivisorFrame(frames, frames.divisorByte4);
    SendDivisorFrame(frames, frames.retryByte4);
    Sleep(kRetryWaitMs);
    ReadStatusFrame(status);
  }
  const int count = ChannelCount(status);
  SendDivisorFrame(frames, frames.divisorByte4);
  return count;
}

extern "C" unsigned char TCX_API tcx_OpenRadio(void) {
  const ApiLock lock;
  if (!libraryState.portIoReady) return 0;
  const UnitLock unitLock;
  if (!unitLock.MayUseBus()) return 0;
  SetupParallelPort();
  WritePort(kParallelDataPort, kRadioOpenPattern);
  WritePort(kParallelStatusPort, ReadPort(kParallelStatusPort) | kStatusBitSetAtOpen);
  WritePort(kParallelControlPort, kControlAtOpen);
  WritePort(kParallelDataPort, kRadioOpenPattern);
  libraryState.radioOpen = 1;
  return 1;
}

// Returns whether the closing write succeeded.
extern "C" unsigned char TCX_API tcx_CloseRadio(void) {
  const ApiLock lock;
  if (!libraryState.portIoReady) return 0;
  const UnitLock unitLock;
  if (!unitLock.MayUseBus()) return 0;
  const unsigned char written = WritePort(kParallelDataPort, kRadioClosedPattern);
  libraryState.radioOpen = 0;
  return written ? 1 : 0;
}

extern "C" unsigned char TCX_API tcx_IsOpenRadio(void) {
  const ApiLock lock;
  return libraryState.radioOpen;
}

extern "C" unsigned char TCX_API tcx_SetChannelRadio(int band, int frequency) {
  const ApiLock lock;
  if (!libraryState.radioOpen) return 0;
  const UnitLock unitLock;
  if (!unitLock.MayUseBus()) return 0;
  TuneChannel(band, frequency);
  return 1;
}

extern "C" unsigned char TCX_API tcx_GetChannelDetectState(int band) {
  const ApiLock lock;
  if (!libraryState.radioOpen) return 0;
  const UnitLock unitLock;
  if (!unitLock.MayUseBus()) return 0;
  const BandFrames& frames = FramesForBand(band);
  int hits = 0;
  for (int sample = 0; sample < kDetectionSamples; ++sample) {
    if (IsHit(frames, ReadChannelCount(band))) ++hits;
    Sleep(kSampleWaitMs);
  }
  return hits >= kHitsForStation ? 1 : 0;
}

// Reports the indicator bit of whatever band is tuned, without sending a frame first.
extern "C" unsigned char TCX_API tcx_GetFMStereoState(void) {
  const ApiLock lock;
  if (!libraryState.radioOpen) return 0;
  const UnitLock unitLock;
  if (!unitLock.MayUseBus()) return 0;
  StatusFrame status;
  ReadStatusFrame(status);
  return (status[0] & kIndicatorBit) ? 0 : 1;
}
