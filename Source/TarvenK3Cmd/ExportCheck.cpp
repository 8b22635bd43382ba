// The export tables are written from the function list itself (cmake/FunctionTables.cpp); here
// the compiler checks that each function's argument bytes (the "@N" of its exported name, and
// what it pops) are what its parameters take on the 32-bit stack.
#include "TarvenK3Cmd.h"

namespace {

template <typename Result, typename... Parameters>
constexpr int StackBytes(Result (TCX_API*)(Parameters...)) {
  return (0 + ... + static_cast<int>((sizeof(Parameters) + 3) / 4 * 4));
}

#define TCX_CHECK_BYTES(name, result, kind, failure, bytes, parameters, arguments) \
  static_assert(sizeof(void*) != 4 || StackBytes(&tcx_##name) == bytes, "argument bytes of tcx_" #name);
TCX_FUNCTIONS(TCX_CHECK_BYTES)
#undef TCX_CHECK_BYTES

}  // namespace
