// The kit's own C++ view of the function list, for its programs and tests that list, bind,
// forward or replay the functions: the sample panel, k3ctl, the 64-bit bridge and its host, the
// fuzzer and the model tests. Not shipped: customers get TarvenK3Cmd.h.
#pragma once

#include "TarvenK3Cmd.h"

// Each function's position in the list, and its row as data.
enum class TcxFunction : unsigned {
#define TCX_FUNCTION_ENUMERATOR(name, result, kind, failure, bytes, parameters, arguments) name,
  TCX_FUNCTIONS(TCX_FUNCTION_ENUMERATOR)
#undef TCX_FUNCTION_ENUMERATOR
};

struct TcxFunctionInfo {
  const char* name;           // "SetChannelRadio"
  const char* decoratedName;  // the exported name, TCX_DECORATED_NAME of the row
  TcxResultKind kind;
  int failure;                // what a 64-bit program's call returns when the host does not answer
  int argumentBytes;
};

constexpr TcxFunctionInfo kTcxFunctions[] = {
#define TCX_FUNCTION_INFO(name, result, kind, failure, bytes, parameters, arguments) \
  {#name, TCX_DECORATED_NAME(name, bytes), kind, failure, bytes},
    TCX_FUNCTIONS(TCX_FUNCTION_INFO)
#undef TCX_FUNCTION_INFO
};

constexpr unsigned kTcxFunctionCount = sizeof kTcxFunctions / sizeof kTcxFunctions[0];

constexpr const TcxFunctionInfo& TcxInfo(TcxFunction function) {
  return kTcxFunctions[static_cast<unsigned>(function)];
}

// The functions as a program holds them when it binds the DLL at run time, each with its
// declared type, named as in the function list (entries.SetChannelRadio(TCX_BAND_FM, 9350)). An entry is
// null until it is bound.
struct TcxEntryPoints {
#define TCX_ENTRY_POINT(name, result, kind, failure, bytes, parameters, arguments) \
  decltype(&tcx_##name) name = nullptr;
  TCX_FUNCTIONS(TCX_ENTRY_POINT)
#undef TCX_ENTRY_POINT
};

// The entry points of the library the program is linked with (the host build's tests).
inline TcxEntryPoints TcxLinkedEntryPoints() {
  TcxEntryPoints entries;
#define TCX_LINKED_ENTRY(name, result, kind, failure, bytes, parameters, arguments) entries.name = tcx_##name;
  TCX_FUNCTIONS(TCX_LINKED_ENTRY)
#undef TCX_LINKED_ENTRY
  return entries;
}

// One call of function through entries, by its place in the list: up to two numbers, or the
// three-byte buffer, as its parameters take them. A byte result is widened without sign; a
// function without a result gives 0. For programs that forward or replay calls.
inline int TcxInvoke(void(TCX_API* f)(void), const int*, unsigned char*) {
  f();
  return 0;
}
template <typename Result>
int TcxInvoke(Result(TCX_API* f)(void), const int*, unsigned char*) { return f(); }
template <typename Result>
int TcxInvoke(Result(TCX_API* f)(int), const int* numbers, unsigned char*) { return f(numbers[0]); }
template <typename Result>
int TcxInvoke(Result(TCX_API* f)(int, int), const int* numbers, unsigned char*) { return f(numbers[0], numbers[1]); }
template <typename Result>
int TcxInvoke(Result(TCX_API* f)(unsigned char*), const int*, unsigned char* bytes) { return f(bytes); }

inline int TcxCall(const TcxEntryPoints& entries, TcxFunction function, const int numbers[2], unsigned char* buffer) {
  switch (function) {
#define TCX_CALL_ENTRY(name, result, kind, failure, bytes, parameters, arguments) \
  case TcxFunction::name:                                                     \
    return TcxInvoke(entries.name, numbers, buffer);
    TCX_FUNCTIONS(TCX_CALL_ENTRY)
#undef TCX_CALL_ENTRY
  }
  return 0;
}
