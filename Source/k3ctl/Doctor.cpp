#include "Doctor.h"

#include <cstdarg>
#include <cstdio>

#include "Commands.h"

namespace {

constexpr char kNotLoadable[] =
    "Windows refuses the file although it is there: copy it again from the package, and check that no security "
    "program blocks it";
constexpr char kNotElevated[] =
    "port I/O drivers need administrator rights: run k3ctl, and the program that uses the unit, as administrator";
constexpr char kMemoryIntegrityOn[] =
    "it keeps WinIo-class port I/O drivers, IO.dll's among them, from loading: if port I/O is unavailable, turn it "
    "off in Windows Security, Device security, Core isolation";
constexpr char kBlocklistOn[] =
    "it lists WinIo-class port I/O drivers, IO.dll's among them: if port I/O is unavailable, turn off the "
    "Microsoft Vulnerable Driver Blocklist in Windows Security, Device security, Core isolation";
constexpr char kUnitInUse[] =
    "doctor leaves the unit alone while another program has it open, since closing it would switch that program's "
    "radio off: end that program and run doctor again to test the connection";
constexpr char kNoUnitHint[] =
    "check that the unit is connected and switched on, and that TarVenCOM.dll is the one from the unit's drivers";

// Port I/O unavailable: the first likely cause the other checks found.
const char* PortIoHint(const DoctorFacts& facts) {
  if (facts.elevated == Tristate::No)
    return "likely cause: k3ctl is not running as administrator, which IO.dll's port I/O driver needs: run it from "
           "an administrator prompt";
  if (facts.memoryIntegrity == Tristate::Yes)
    return "likely cause: Memory Integrity keeps IO.dll's port I/O driver from loading (see above)";
  if (facts.driverBlocklist == Tristate::Yes)
    return "likely cause: the vulnerable-driver blocklist keeps IO.dll's port I/O driver from loading (see above)";
  return "IO.dll could not start its port I/O driver: install the unit's drivers again, and check that no "
         "security program blocks the driver";
}

class Checks {
 public:
  explicit Checks(Check* checks) : checks_(checks) {}
  int count() const { return count_; }

  void Add(Verdict verdict, const char* name, const char* hint, int exitCode, const char* format, ...) {
    Check& check = checks_[count_++];
    check = {verdict, name, "", hint, exitCode};
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(check.detail, sizeof check.detail, format, arguments);
    va_end(arguments);
  }

 private:
  Check* checks_;
  int count_ = 0;
};

const char* MachineName(unsigned machine) {
  switch (machine) {
    case kMachineX86: return "32-bit";
    case kMachineX64: return "64-bit";
    case 0: return "not a Windows program file";
    default: return "neither 32- nor 64-bit x86";
  }
}

const char* HomeFolder(const DoctorFacts& facts, FileHome home) {
  return home == FileHome::Program ? facts.programFolder : facts.bridgeFolder;
}

void JudgeFile(const DoctorFacts& facts, int index, Checks& out) {
  const NeededFile& needed = kNeededFiles[index];
  const FileFacts& file = facts.files[index];
  const unsigned machine = needed.machine ? needed.machine : facts.programMachine;
  const char* const subfolder = needed.home == FileHome::BridgeHost ? "\\x86" : "";
  if (!file.found && needed.home == FileHome::Program)
    out.Add(Verdict::Fail, needed.name, needed.hint, kExitNoLibrary,
            "not in k3ctl's folder (%s) or the system folder (%s)", facts.programFolder, facts.systemFolder);
  else if (!file.found)
    out.Add(Verdict::Fail, needed.name, needed.hint, kExitNoLibrary, "not in %s%s%s", HomeFolder(facts, needed.home),
            subfolder, needed.systemFolderToo ? " or the system folder" : "");
  else if (file.machine != machine)
    out.Add(Verdict::Fail, needed.name, needed.hint, kExitNoLibrary, "%s, %s: it must be %s", file.path,
            MachineName(file.machine), MachineName(machine));
  else
    out.Add(Verdict::Ok, needed.name, nullptr, 0, "%s, %s, %s%s", file.path, MachineName(file.machine),
            file.version[0] ? "version " : "no version resource", file.version);
}

bool FilesFine(const Check checks[], int from, int to) {
  for (int i = from; i < to; ++i)
    if (checks[i].verdict == Verdict::Fail) return false;
  return true;
}

// A registry switch that keeps port I/O drivers from loading.
void JudgeSwitch(Tristate state, const char* name, const char* hint, const char* unknown, Checks& out) {
  if (state == Tristate::Yes)
    out.Add(Verdict::Warn, name, hint, 0, "on");
  else if (state == Tristate::No)
    out.Add(Verdict::Ok, name, nullptr, 0, "off");
  else
    out.Add(Verdict::Info, name, nullptr, 0, "%s", unknown);
}

void JudgeOpen(const DoctorFacts& facts, Checks& out) {
  const char* notTried = !facts.libraryLoaded ? "not tried: TarvenK3Cmd.dll cannot be loaded"
                         : !facts.openTried   ? "not tried: another program has the unit open"
                                              : nullptr;
  if (notTried) {
    out.Add(Verdict::Info, "port I/O", nullptr, 0, "%s", notTried);
    out.Add(Verdict::Info, "monitor unit", nullptr, 0, "%s", notTried);
    return;
  }
  if (facts.openResult & TCX_OPEN_PORT_IO_UNAVAILABLE)
    out.Add(Verdict::Fail, "port I/O", PortIoHint(facts), kExitNoPortIo, "unavailable");
  else
    out.Add(Verdict::Ok, "port I/O", nullptr, 0, "available");
  if (facts.openResult & TCX_OPEN_UNIT_UNAVAILABLE)
    out.Add(Verdict::Fail, "monitor unit", kNoUnitHint, kExitNoUnit, "not found");
  else
    out.Add(Verdict::Ok, "monitor unit", nullptr, 0, "found");
}

void PrintJsonText(const char* text) {
  std::putchar('"');
  for (const char* c = text; *c; ++c) {
    if (*c == '"' || *c == '\\')
      std::printf("\\%c", *c);
    else if (static_cast<unsigned char>(*c) < 0x20)
      std::printf("\\u%04x", *c);
    else
      std::putchar(*c);
  }
  std::putchar('"');
}

}  // namespace

int JudgeDoctor(const DoctorFacts& facts, Check checks[kMaxChecks]) {
  Checks out(checks);
  for (int i = kLibraryFile; i < kBridgeFile; ++i) JudgeFile(facts, i, out);
  if (!facts.libraryLoaded && FilesFine(checks, 0, out.count()))
    out.Add(Verdict::Fail, "loading", kNotLoadable, kExitNoLibrary, "%s", facts.loadError);
  if (facts.bridgePresent)
    for (int i = kBridgeFile; i < kNeededFileCount; ++i) JudgeFile(facts, i, out);
  else
    out.Add(Verdict::Info, "64-bit bridge", nullptr, 0, "not in %s; only 64-bit programs need it", facts.bridgeFolder);

  if (facts.elevated == Tristate::Unknown)
    out.Add(Verdict::Info, "administrator rights", nullptr, 0, "unknown");
  else if (facts.elevated == Tristate::No)
    out.Add(Verdict::Warn, "administrator rights", kNotElevated, 0, "no");
  else
    out.Add(Verdict::Ok, "administrator rights", nullptr, 0, "yes");
  JudgeSwitch(facts.memoryIntegrity, "Memory Integrity", kMemoryIntegrityOn, "unknown: not set in the registry", out);
  JudgeSwitch(facts.driverBlocklist, "vulnerable-driver blocklist", kBlocklistOn,
              "unknown: not set, so Windows' default applies (on from Windows 11 22H2, and whenever Memory "
              "Integrity is on)",
              out);

  const char* const bus = facts.busBusy == Tristate::Yes ? ", and a call is on the bus now" : "";
  if (facts.unitInUse == Tristate::Yes)
    out.Add(Verdict::Warn, "other programs", kUnitInUse, 0, "another program has the unit open%s", bus);
  else if (facts.unitInUse == Tristate::No)
    out.Add(Verdict::Ok, "other programs", nullptr, 0, "none has the unit open%s", bus);
  else
    out.Add(Verdict::Info, "other programs", nullptr, 0, "unknown%s", bus);
  JudgeOpen(facts, out);
  return out.count();
}

int DoctorExitCode(const Check checks[], int count) {
  static const int kOrder[] = {kExitNoLibrary, kExitNoUnit, kExitNoPortIo};
  for (int code : kOrder)
    for (int i = 0; i < count; ++i)
      if (checks[i].verdict == Verdict::Fail && checks[i].exitCode == code) return code;
  return kExitDone;
}

void PrintDoctor(bool json, const Check checks[], int count) {
  static const char* const kWords[] = {"ok", "info", "warn", "FAIL"};
  static const char* const kJsonWords[] = {"ok", "info", "warn", "fail"};
  if (json) std::printf("{\"checks\":[");
  for (int i = 0; i < count; ++i) {
    const Check& check = checks[i];
    const int verdict = static_cast<int>(check.verdict);
    if (!json) {
      std::printf("%-6s%s: %s\n", kWords[verdict], check.name, check.detail);
      if (check.hint) std::printf("      hint: %s\n", check.hint);
      continue;
    }
    std::printf("%s{\"check\":", i ? "," : "");
    PrintJsonText(check.name);
    std::printf(",\"verdict\":\"%s\",\"detail\":", kJsonWords[verdict]);
    PrintJsonText(check.detail);
    if (check.hint) {
      std::printf(",\"hint\":");
      PrintJsonText(check.hint);
    }
    std::printf("}");
  }
  if (json) std::printf("]}\n");
}

int RunDoctor(Session&, const Request& request) {
  DoctorFacts facts = {};
  GatherDoctorFacts(&facts);
  Check checks[kMaxChecks];
  const int count = JudgeDoctor(facts, checks);
  PrintDoctor(request.json, checks, count);
  return DoctorExitCode(checks, count);
}
