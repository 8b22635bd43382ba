#include "Commands.h"

#include <cstdio>
#include <cstdlib>

#include "BandScan.h"
#include "Console.h"
#include "Doctor.h"
#include "Output.h"
#include "Session.h"

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

int Info(Session& session, const Request& request) {
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

int Status(Session& session, const Request& request) {
  unsigned char bits[3];
  if (!session.library->GetDevStatus(bits)) return Refuse(kExitNoUnit, "the monitor unit does not report its status");
  PrintStatus(request.json, bits);
  return kExitDone;
}

int Tilt(Session& session, const Request& request) {
  const TcxEntryPoints& library = *session.library;
  const TiltArguments& tilt = request.tilt;
  if (!(tilt.up ? library.TiltUp(tilt.steps) : library.TiltDown(tilt.steps))) return Refuse(kExitNoUnit, kNoUnit);
  PrintTilt(request.json, tilt.up, tilt.steps);
  return kExitDone;
}

// Sets the levels when given, then reads both back: what the unit holds is what is printed.
int Brightness(Session& session, const Request& request) {
  const TcxEntryPoints& library = *session.library;
  const LevelArguments& levels = request.levels;
  if (levels.set && !library.SetMonitorBrightness(levels.day, levels.night))
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

Detection DetectRequested(const TcxEntryPoints& library, const TuneArguments& tune) {
  const Band& band = *tune.band;
  Detection d = {&band, tune.khz, false, false};
  d.station = TuneAndDetect(library, band, tune.khz);
  d.stereo = d.station && &band == &kFm && library.GetFMStereoState() != 0;
  return d;
}

int Detect(Session& session, const Request& request) {
  const Detection d = DetectRequested(*session.library, request.tune);
  PrintDetection(request.json, d);
  return d.station ? kExitDone : kExitNo;
}

int Play(Session& session, const Request& request) {
  const double seconds = request.tune.playSeconds;
  PrintDetection(request.json, DetectRequested(*session.library, request.tune));
  std::fflush(stdout);
  if (seconds < 0 && session.readingCommands) return kExitDone;
  if (!request.quiet && seconds < 0) std::fprintf(stderr, "k3ctl: playing until Ctrl-C\n");
  return WaitUnlessStopped(seconds) ? kExitDone : kExitInterrupted;
}

int Scan(Session& session, const Request& request) {
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

const Command kCommands[] = {
    {"info", nullptr, "", "port I/O, monitor unit, firmware, brightness", ReadNoArguments, 0, Needs::Nothing, Info},
    {"status", nullptr, "", "the unit's three status bits", ReadNoArguments, 0, Needs::Unit, Status},
    {"tilt", nullptr, "up|down [STEPS]", "tilt by 1-3 steps (default 1)", ReadTilt, 0, Needs::Unit, Tilt},
    {"brightness", nullptr, "[DAY NIGHT]", "read both levels, or set them (0-15 each)", ReadBrightness, 0, Needs::Unit,
     Brightness},
    {"radio", "detect", "FREQ", "tune and detect: exit 0 station, 1 none", ReadTune, 0, Needs::Radio, Detect},
    {"radio", "play", "FREQ [--for SECS]", "tune and keep the radio on until Ctrl-C, or for SECS", ReadTune,
     kPlayTimeOption, Needs::Radio, Play},
    {"radio", "scan", "fm|am [--from F] [--to F] [--step S]", "band scan, one line per station", ReadScanPlan,
     kScanRangeOptions, Needs::Radio, Scan},
    {"doctor", nullptr, "", "what the unit needs on this PC: found, missing, why", ReadNoArguments, 0, Needs::Pc,
     RunDoctor},
    {"-", nullptr, "", "commands from stdin, one per line, in one session", ReadNoArguments, 0, Needs::Stdin,
     RunCommandLines},
};
const int kCommandCount = sizeof kCommands / sizeof kCommands[0];

int RunCommand(Session& session, const Request& request) {
  const Command& command = *request.command;
  if (command.needs == Needs::Unit && !UnitFound(session)) return Refuse(kExitNoUnit, kNoUnit);
  if (command.needs == Needs::Radio && !OpenRadio(session)) return Refuse(kExitNoPortIo, kNoPortIo);
  return command.run(session, request);
}
