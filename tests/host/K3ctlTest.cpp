// k3ctl's commands on the host: command lines as the table's parser reads them, the usage text
// that follows from the table, the band scan's merging of hits on the simulated tuner, and what
// doctor makes of the facts it gathers.
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Doctor.h"
#include "LibraryFixture.h"

namespace {

// What the parser made of line: the command, what its arguments read and the options; or its message.
std::string Parsed(std::string line) {
  std::vector<const char*> words;
  for (char* word = std::strtok(&line[0], " "); word; word = std::strtok(nullptr, " ")) words.push_back(word);
  Request r;
  char error[256];
  if (!ParseArguments(int(words.size()), words.data(), &r, error, sizeof error)) return std::string("error: ") + error;
  if (r.help) return "help";
  const Command& c = *r.command;
  const ScanPlan& plan = r.plan;
  std::ostringstream out;
  out << c.name << (c.subcommand ? " " : "") << (c.subcommand ? c.subcommand : "");
  if (c.read == ReadTilt) out << (r.tilt.up ? " up " : " down ") << r.tilt.steps;
  if (c.read == ReadBrightness && r.levels.set) out << ' ' << r.levels.day << ' ' << r.levels.night;
  if (c.read == ReadTune) out << ' ' << r.tune.band->name << ' ' << r.tune.khz << " for " << r.tune.playSeconds;
  if (c.read == ReadScanPlan)
    out << ' ' << plan.band->name << ' ' << plan.fromKhz << '-' << plan.toKhz << '/' << plan.stepKhz;
  out << (r.json ? " json" : "") << (r.quiet ? " quiet" : "") << (r.forceProgress ? " progress" : "");
  return out.str();
}

}  // namespace

TEST(K3ctlCommandLine, ReadsEachCommandAndNamesWhatIsWrong) {
  const struct {
    const char* line;
    const char* parsed;
  } kCases[] = {
      // Options stand anywhere; --help wins; a dash before a digit starts a word.
      {"--json info -q --progress", "info json quiet progress"},
      {"reboot --help", "help"},
      {"", "error: no command (k3ctl --help lists them)"},
      {"info --bogus", "error: unknown option --bogus"},
      {"-x info", "error: unknown option -x"},
      {"radio scan fm --from", "error: --from needs a value"},
      {"a b c d e f g h i", "error: too many arguments"},
      {"tilt up -1", "error: tilt steps must be 1, 2 or 3, not '-1'"},
      {"-", "-"},
      {"reboot", "error: unknown command 'reboot'"},
      {"radio", "error: radio needs detect, play or scan"},
      {"radio tune", "error: unknown radio command 'tune': detect, play or scan"},
      {"status now", "error: unexpected argument 'now'"},
      // A value option the command does not take, once its own arguments are right.
      {"radio detect 93.5M --for 0", "error: --for is for radio play only"},
      {"info --step 10", "error: --from, --to and --step are for radio scan only"},
      {"tilt sideways --for 3", "error: usage: tilt up|down [STEPS]"},
      {"tilt down", "tilt down 1"},
      {"tilt up 3", "tilt up 3"},
      {"brightness", "brightness"},
      {"brightness 0 15", "brightness 0 15"},
      {"brightness 3", "error: usage: brightness [DAY NIGHT]"},
      {"brightness 3 16", "error: brightness levels are whole numbers 0-15, not '16'"},
      {"radio play 810k", "radio play AM 810 for -1"},
      {"radio play fm 9350 --for 86400", "radio play FM 93500 for 86400"},
      {"radio play bad --for 86401", "error: --for needs whole seconds, 1 to 86400, not '86401'"},
      {"radio detect", "error: detect needs a frequency, such as 93.5M or 810k"},
      {"radio play am", "error: play needs a number after the band, such as fm 9350"},
      {"radio detect 93.5M 1", "error: unexpected argument '1'"},
      {"radio scan am", "radio scan AM 531-1602/9"},
      {"radio scan fm --from 9000 --to 95M --step 0.1M", "radio scan FM 90000-95000/100"},
      {"radio scan fm am", "error: radio scan needs a band, fm or am, and nothing more"},
      {"radio scan fm --from 95M --to 94M", "error: --from lies above --to"},
      {"radio scan fm --step 15", "error: step 15 is not a whole number of FM's 10 kHz steps between 10 and 32000 kHz"},
      {"radio scan am --step 1x", "error: bad step '1x': write it as kHz: 100, 100k or 0.1M"},
      // Frequencies: the value picks the band, units in any case, the band's grid and edges.
      {"radio detect 93.50mhz", "radio detect FM 93500 for -1"},
      {"radio detect 1.71M", "radio detect AM 1710 for -1"},
      {"radio detect am 810K", "radio detect AM 810 for -1"},
      {"radio detect 93.505M",
       "error: 93.505M is not a valid FM frequency: FM runs from 76.00 MHz to 108.00 MHz in steps of 10 kHz"},
      {"radio detect 50M", "error: 50M is in neither band: FM runs from 76.00 MHz to 108.00 MHz in steps of 10 kHz; "
                           "AM runs from 520 kHz to 1710 kHz in steps of 1 kHz"},
      // On FM a bare number with a decimal point is MHz below 1000, the raw 10 kHz unit above.
      {"radio scan fm --from 93.0 --to 93.2", "radio scan FM 93000-93200/100"},
      {"radio detect fm 9350.0", "radio detect FM 93500 for -1"},
      {"radio detect fm 93", "error: 93 is not a valid FM frequency: FM runs from 76.00 MHz to 108.00 MHz in steps of "
                             "10 kHz; on FM, 9350 and 93.5 both mean 93.50 MHz"},
      {"radio detect 810.0000001k",
       "error: bad frequency '810.0000001k': write it as 93.5M, 93.50MHz, 810k or 810kHz, or as fm 9350 or am 810"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Parsed(c.line), c.parsed) << c.line;
}

TEST(K3ctlCommandLine, UsageHasALinePerCommand) {
  char text[2048] = "";
  std::FILE* out = fmemopen(text, sizeof text - 1, "w");
  PrintUsage(out);
  std::fclose(out);
  EXPECT_STREQ(text,
               "usage: k3ctl [--json] [-q] [--progress] COMMAND\n"
               "  info                          port I/O, monitor unit, firmware, brightness\n"
               "  status                        the unit's three status bits\n"
               "  tilt up|down [STEPS]          tilt by 1-3 steps (default 1)\n"
               "  brightness [DAY NIGHT]        read both levels, or set them (0-15 each)\n"
               "  radio detect FREQ             tune and detect: exit 0 station, 1 none\n"
               "  radio play FREQ [--for SECS]  tune and keep the radio on until Ctrl-C, or for SECS\n"
               "  radio scan fm|am [--from F] [--to F] [--step S]\n"
               "                                band scan, one line per station\n"
               "  doctor                        what the unit needs on this PC: found, missing, why\n"
               "  -                             commands from stdin, one per line, in one session\n"
               "FREQ: 93.5M, 93.50MHz, 810k, 810kHz, or fm 9350 / am 810 (the library's units).\n"
               "Exit codes: 0 done or yes, 1 no station, 2 usage, 3 monitor unit not found,\n"
               "4 port I/O unavailable, 5 library not loadable, 130 interrupted.\n");
}

// FM stations are seen from 10 kHz below to 20 kHz above, AM ones 1 kHz either side.
using K3ctlBandScan = LibraryTest;

TEST_F(K3ctlBandScan, MergesEachRunOfHitsIntoOneStation) {
  const sim::Station kFm935 = {sim::kFmBand, 9350, true}, kFm936 = {sim::kFmBand, 9360, false};
  const sim::Station kAm810 = {sim::kAmBand, 810, false};
  const struct {
    std::vector<sim::Station> stations;
    ScanPlan plan;
    const char* found;
  } kCases[] = {
      {{kFm935, kFm936}, {&kFm, 93000, 94000, 100}, "93500 stereo, 93600 mono; 11 steps"},  // coarse: every hit
      {{kFm935}, {&kFm, 93400, 93600, 10}, "93500 stereo; 21 steps"},  // a run of 4: its lower middle
      {{kAm810}, {&kAm, 800, 820, 1}, "810; 21 steps"},                // a run of 3: its middle
      {{kAm810}, {&kAm, 811, 820, 1}, "810; 10 steps"},                // a run from the first step, followed below
      {{kAm810}, {&kAm, 800, 809, 1}, "810; 10 steps"},                // a run to the last step, followed above
  };
  ASSERT_EQ(tcx_OpenTARVEN(), 0);
  ASSERT_EQ(tcx_OpenRadio(), 1);
  static ScanResult result;
  for (const auto& c : kCases) {
    pc.tuner.stations = c.stations;
    RunBandScan(TcxLinkedEntryPoints(), c.plan, {nullptr, nullptr}, &result);
    std::ostringstream found;
    for (int i = 0; i < result.stationCount; ++i)
      found << (i ? ", " : "") << result.stations[i].khz
            << (c.plan.band != &kFm ? "" : result.stations[i].stereo ? " stereo" : " mono");
    found << "; " << result.steps << " steps" << (result.complete ? "" : ", incomplete");
    EXPECT_EQ(found.str(), c.found) << c.plan.fromKhz << "-" << c.plan.toKhz;
  }
}

// A PC where all is well: the library's three 32-bit files beside k3ctl, no bridge, elevated,
// both driver switches off, the unit free, both halves open.
DoctorFacts HealthyPc() {
  DoctorFacts f = {};
  f.programMachine = kMachineX86;
  std::strcpy(f.programFolder, "C:\\K3\\bin");
  std::strcpy(f.systemFolder, "C:\\Windows\\system32");
  std::strcpy(f.bridgeFolder, "C:\\K3\\bin64");
  for (int i = kLibraryFile; i < kBridgeFile; ++i) {
    f.files[i] = {true, "", kMachineX86, ""};
    std::snprintf(f.files[i].path, sizeof f.files[i].path, "C:\\K3\\bin\\%s", kNeededFiles[i].file);
  }
  f.libraryLoaded = f.openTried = true;
  f.elevated = Tristate::Yes;
  f.memoryIntegrity = f.driverBlocklist = f.unitInUse = f.busBusy = Tristate::No;
  return f;
}

TEST(K3ctlDoctor, JudgesEachFactWithAHintAndTheExitCode) {
  const struct {
    void (*change)(DoctorFacts& f);
    const char* check;  // the check that shows the change
    const char* line;   // its verdict and detail
    const char* hint;   // part of its hint; "" for none
    int exitCode;
  } kCases[] = {
      {[](DoctorFacts&) {}, "TarvenK3Cmd.dll", "ok C:\\K3\\bin\\TarvenK3Cmd.dll, 32-bit, no version resource", "", 0},
      {[](DoctorFacts& f) { f.files[kIoFile].found = f.libraryLoaded = false; }, "IO.dll",
       "FAIL not in k3ctl's folder (C:\\K3\\bin) or the system folder (C:\\Windows\\system32)",
       "unit's 32-bit IO.dll", 5},
      {[](DoctorFacts& f) { f.files[kComFile].machine = kMachineX64; }, "TarVenCOM.dll",
       "FAIL C:\\K3\\bin\\TarVenCOM.dll, 64-bit: it must be 32-bit", "into k3ctl's folder", 5},
      {[](DoctorFacts& f) { f.libraryLoaded = false, std::strcpy(f.loadError, "no entry point"); }, "loading",
       "FAIL no entry point", "Windows refuses the file", 5},
      {[](DoctorFacts& f) { f.libraryLoaded = false; }, "monitor unit",
       "info not tried: TarvenK3Cmd.dll cannot be loaded", "", 5},
      {[](DoctorFacts& f) { f.bridgePresent = true; }, "bin64\\x86\\TarvenK3Host.exe",
       "FAIL not in C:\\K3\\bin64\\x86", "bin64 folder whole", 5},
      {[](DoctorFacts& f) { f.elevated = Tristate::No, f.openResult = TCX_OPEN_PORT_IO_UNAVAILABLE; }, "port I/O",
       "FAIL unavailable", "not running as administrator", 4},
      {[](DoctorFacts& f) { f.memoryIntegrity = Tristate::Yes, f.openResult = TCX_OPEN_PORT_IO_UNAVAILABLE; },
       "port I/O", "FAIL unavailable", "Memory Integrity keeps", 4},
      {[](DoctorFacts& f) { f.memoryIntegrity = Tristate::Yes; }, "Memory Integrity", "warn on", "Core isolation", 0},
      {[](DoctorFacts& f) { f.driverBlocklist = Tristate::Unknown; }, "vulnerable-driver blocklist",
       "info unknown: not set, so Windows' default applies (on from Windows 11 22H2, and whenever Memory Integrity "
       "is on)",
       "", 0},
      {[](DoctorFacts& f) { f.openResult = TCX_OPEN_PORT_IO_UNAVAILABLE | TCX_OPEN_UNIT_UNAVAILABLE; }, "monitor unit",
       "FAIL not found", "connected and switched on", 3},
      {[](DoctorFacts& f) { f.unitInUse = f.busBusy = Tristate::Yes, f.openTried = false; }, "other programs",
       "warn another program has the unit open, and a call is on the bus now", "would switch that program's radio off",
       0},
      {[](DoctorFacts& f) { f.unitInUse = Tristate::Yes, f.openTried = false; }, "port I/O",
       "info not tried: another program has the unit open", "", 0},
  };
  static const char* const kWords[] = {"ok", "info", "warn", "FAIL"};
  for (const auto& c : kCases) {
    DoctorFacts facts = HealthyPc();
    c.change(facts);
    Check checks[kMaxChecks];
    const int count = JudgeDoctor(facts, checks);
    std::string line = "no such check", hint;
    for (int i = 0; i < count; ++i)
      if (std::strcmp(checks[i].name, c.check) == 0) {
        line = std::string(kWords[int(checks[i].verdict)]) + ' ' + checks[i].detail;
        hint = checks[i].hint ? checks[i].hint : "";
      }
    EXPECT_EQ(line, c.line) << c.check;
    EXPECT_TRUE(*c.hint ? hint.find(c.hint) != std::string::npos : hint.empty()) << c.check << ": " << hint;
    EXPECT_EQ(DoctorExitCode(checks, count), c.exitCode) << c.check;
  }
}

// On the host, doctor's row judges the facts a test leaves here (on Windows DoctorProbe.cpp
// gathers them from the PC).
DoctorFacts gatheredFacts;
void GatherDoctorFacts(DoctorFacts* facts) { *facts = gatheredFacts; }

TEST(K3ctlDoctor, RunsFromItsRowWithNothingOpenAndPrintsEachCheck) {
  const struct {
    const char* line;
    void (*change)(DoctorFacts& f);
    const char* firstLine;
    int exitCode;
  } kCases[] = {
      {"doctor", [](DoctorFacts&) {}, "ok    TarvenK3Cmd.dll: C:\\K3\\bin\\TarvenK3Cmd.dll, 32-bit, no version resource\n",
       0},
      {"doctor --json", [](DoctorFacts& f) { f.files[kLibraryFile].found = f.libraryLoaded = false; },
       "{\"checks\":[{\"check\":\"TarvenK3Cmd.dll\",\"verdict\":\"fail\"", 5},
  };
  for (const auto& c : kCases) {
    gatheredFacts = HealthyPc();
    c.change(gatheredFacts);
    std::string line = c.line;
    std::vector<const char*> words;
    for (char* word = std::strtok(&line[0], " "); word; word = std::strtok(nullptr, " ")) words.push_back(word);
    Request request;
    char error[256];
    ASSERT_TRUE(ParseArguments(int(words.size()), words.data(), &request, error, sizeof error)) << error;
    ASSERT_EQ(request.command->needs, Needs::Pc);
    Session nothingOpen = {};
    testing::internal::CaptureStdout();
    const int code = RunCommand(nothingOpen, request);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.substr(0, std::strlen(c.firstLine)), c.firstLine) << c.line;
    EXPECT_EQ(code, c.exitCode) << c.line;
  }
}
