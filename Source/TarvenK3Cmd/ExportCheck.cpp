// The export table is made by the build from the function list (TarvenK3Functions.h); here the
// compiler checks that reading against the list itself: every function was found, and each
// one's argument bytes (the "@N" of its exported name, and what it pops) are what its
// parameters take on the 32-bit stack.
#include "TarvenK3Cmd.h"

static_assert(kTcxFunctionCount == TARVEN_EXPORT_COUNT, "the export table lists every function");

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
