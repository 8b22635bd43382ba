// k3ctl doctor: what the unit depends on on this PC, one check a line, each failure with a
// hint. The facts are gathered on Windows (DoctorProbe.cpp); what they mean (each check's
// verdict and hint, and the exit code) follows from them here, so the host build tests it.
#pragma once

#include <cstddef>

#include "NeededFiles.h"

struct Request;
struct Session;

enum class Tristate { Unknown, No, Yes };

struct FileFacts {
  bool found;
  char path[260];
  unsigned machine;  // the PE header's machine field; 0 when it is no Windows image
  char version[24];  // "1.0.0.1"; empty without a version resource
};

struct DoctorFacts {
  unsigned programMachine;  // k3ctl's own
  char programFolder[260], systemFolder[260], bridgeFolder[260];
  bool bridgePresent;  // bridgeFolder (..\bin64) exists
  FileFacts files[kNeededFileCount];
  bool libraryLoaded;
  char loadError[300];  // why it did not load, when it did not
  Tristate elevated, memoryIntegrity, driverBlocklist;
  Tristate unitInUse;  // another program has the unit open
  Tristate busBusy;    // a call holds the unit's lock now
  bool openTried;      // doctor opened (and closed) the unit itself
  int openResult;      // of tcx_OpenTARVEN, when tried
};

enum class Verdict { Ok, Info, Warn, Fail };

struct Check {
  Verdict verdict;
  const char* name;
  char detail[400];
  const char* hint;  // nullptr when there is nothing to do
  int exitCode;      // what this check, failed, makes of the run's exit code; 0 when nothing
};

constexpr int kMaxChecks = kNeededFileCount + 8;

// The checks facts give, in the order they print; their number.
int JudgeDoctor(const DoctorFacts& facts, Check checks[kMaxChecks]);

// 5 when a DLL cannot be loaded, else 3 when the monitor unit is not found, else 4 when port I/O
// is unavailable, else 0.
int DoctorExitCode(const Check checks[], int count);

// One line a check ("ok    IO.dll: C:\...\IO.dll, 32-bit"), a hint line under it; or with json
// one document: {"checks":[{"check":..,"verdict":..,"detail":..,"hint":..}]}.
void PrintDoctor(bool json, const Check checks[], int count);

// Gathers the facts as the PC gives them: the files, the token, the registry and the unit's named
// objects first, then the library loaded and the unit opened and closed, unless another program
// has it open. On Windows: DoctorProbe.cpp.
void GatherDoctorFacts(DoctorFacts* facts);

// The runner of doctor's row: needs nothing open, since it looks at the PC before it loads the
// library. Gathers the facts, prints the checks and returns the exit code.
int RunDoctor(Session& session, const Request& request);
