#include "Commands.h"

#include <cstdio>
#include <cstdlib>

#include "BandScan.h"
#include "Console.h"
#include "Output.h"

namespace {

int Refuse(int code, const char* message) {
  std::fprintf(stderr, "k3ctl: %s\n", message);
  return code;
}

bool UnitFound(const Session& session) { return !(session.openResult & TCX_OPEN_UNIT_UNAVAILABLE); }

constexpr char kNoUnit[] = "the monitor unit is not found";

// The two levels; false when the unit does not report its status, which holds them.
bool ReadLevels(const TcxEntryPoints& library, int* day, int* night) {
  unsigned char status[3];
  if (!library.GetDevStatus(status)) return false;
  *day = library.GetMonitorBrightness(TCX_DAY_LEVEL);
  *night = library.GetMonitorBrightness(TCX_NIGHT_LEVEL);
  return true;
}

int Info(const Session& session, const Request& request) {
  const TcxEntryPoints& library = *session.library;
  InfoResult info = {};
  info.portIo = !(session.openResult & TCX_OPEN_PORT_IO_UNAVAILABLE);
  info.unitFound = UnitFound(session);
  if (info.unitFound) {
    info.haveFirmware = library.GetFwVersion(info.firmware) != 0;
    info.haveLevels = ReadLevels(library, &info.day, &info.night);
  }
  PrintInfo(request.json, info);
  return info.unitFound ? kExitDone : kExitNoUnit;
}

int Status(const Session& session, const Request& request) {
  if (!UnitFound(session)) return Refuse(kExitNoUnit, kNoUnit);
  unsigned char bits[3];
  if (!session.library->GetDevStatus(bits)) return Refuse(kExitNoUnit, "the monitor unit does not report its status");
  PrintStatus(request.json, bits);
  return kExitDone;
}

int Tilt(const Session& session, const Request& request) {
  const TcxEntryPoints& library = *session.library;
  if (!UnitFound(session)) return Refuse(kExitNoUnit, kNoUnit);
  const bool sent = request.tiltUp ? library.TiltUp(request.tiltSteps) : library.TiltDown(request.tiltSteps);
  if (!sent) return Refuse(kExitNoUnit, kNoUnit);
  PrintTilt(request.json, request.tiltUp, request.tiltSteps);
  return kExitDone;
}

// Sets the levels when given, then reads both back: what the unit holds is what is printed.
int Brightness(const Session& session, const Request& request) {
  const TcxEntryPoints& library = *session.library;
  if (!UnitFound(session)) return Refuse(kExitNoUnit, kNoUnit);
  if (request.setLevels && !library.SetMonitorBrightness(request.day, request.night))
    return Refuse(kExitNoUnit, kNoUnit);
  int day = 0, night = 0;
  if (!ReadLevels(library, &day, &night)) return Refuse(kExitNoUnit, "the monitor unit does not report its brightness");
  PrintBrightness(request.json, day, night);
  return kExitDone;
}

// The radio needs port I/O; it is opened once per session.
bool OpenRadio(Session& session) {
  if (session.openResult & TCX_OPEN_PORT_IO_UNAVAILABLE) return false;
  if (!session.radioOpen) session.radioOpen = session.library->OpenRadio() != 0;
  return session.radioOpen;
}

constexpr char kNoPortIo[] = "port I/O is unavailable, and the radio needs it";

Detection DetectRequested(const TcxEntryPoints& library, const Request& request) {
  const Band& band = *request.band;
  Detection d = {&band, request.khz, false, false};
  d.station = TuneAndDetect(library, band, request.khz);
  d.stereo = d.station && &band == &kFm && library.GetFMStereoState() != 0;
  return d;
}

int Detect(Session& session, const Request& request) {
  if (!OpenRadio(session)) return Refuse(kExitNoPortIo, kNoPortIo);
  const Detection d = DetectRequested(*session.library, request);
  PrintDetection(request.json, d);
  return d.station ? kExitDone : kExitNo;
}

int Play(Session& session, const Request& request) {
  if (!OpenRadio(session)) return Refuse(kExitNoPortIo, kNoPortIo);
  PrintDetection(request.json, DetectRequested(*session.library, request));
  std::fflush(stdout);
  if (request.playSeconds < 0 && session.readingCommands) return kExitDone;
  if (!request.quiet && request.playSeconds < 0) std::fprintf(stderr, "k3ctl: playing until Ctrl-C\n");
  return WaitUnlessStopped(request.playSeconds) ? kExitDone : kExitInterrupted;
}

int Scan(Session& session, const Request& request) {
  if (!OpenRadio(session)) return Refuse(kExitNoPortIo, kNoPortIo);
  ScanOptions options = {&stopRequested, nullptr};
  if (!request.quiet && (request.forceProgress || StderrIsConsole())) options.progress = stderr;
  // Room for a few thousand stations: on the heap, not the stack or the program file.
  ScanResult* result = static_cast<ScanResult*>(std::calloc(1, sizeof(ScanResult)));
  if (!result) return Refuse(kExitUsage, "out of memory");
  RunBandScan(*session.library, request.plan, options, result);
  PrintScan(request.json, request.plan, *result);
  if (!request.quiet)
    std::fprintf(stderr, "k3ctl: %d station%s in %d steps, %.1f s\n", result->stationCount,
                 result->stationCount == 1 ? "" : "s", result->steps, result->seconds);
  const int code = !result->complete ? kExitInterrupted : result->stationCount > 0 ? kExitDone : kExitNo;
  std::free(result);
  return code;
}

}  // namespace

int RunCommand(Session& session, const Request& request) {
  switch (request.command) {
    case Command::Info: return Info(session, request);
    case Command::Status: return Status(session, request);
    case Command::Tilt: return Tilt(session, request);
    case Command::Brightness: return Brightness(session, request);
    case Command::Detect: return Detect(session, request);
    case Command::Play: return Play(session, request);
    case Command::Scan: return Scan(session, request);
    case Command::Help:
    case Command::Session: break;
  }
  return Refuse(kExitUsage, "this command cannot run here");
}
