#!/usr/bin/env bash
# The .NET packages' tests, after the presets' (make test builds them all first):
#   1. dotnet/TarvenK3.Tests (xunit) against the host build's libTarvenK3Cmd.so, the library with
#      the simulated PC inside;
#   2. make package's zip and NuGet packages, checked (tests/dotnet/check_nuget.py), and packed a
#      second time under another clock to the same bytes;
#   3. a customer's program and the SDK's C# sample, restored from those packages, published
#      self-contained for win-x64 and win-x86, run under Wine 10 (tools/wine10/run.sh):
#      x64 through the bridge and its 32-bit host, x86 straight into the 32-bit library.
# On a machine without the .NET SDK they are skipped, with one line saying so; with
# TARVEN_REQUIRE_DOTNET=1 (CI) that is a failure.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
if ! command -v dotnet >/dev/null 2>&1 || [ -z "$(dotnet --list-sdks 2>/dev/null)" ]; then
  echo ".NET tests skipped: no .NET SDK (dotnet) on this machine; see README.md, \"The .NET package\""
  [ "${TARVEN_REQUIRE_DOTNET:-0}" = 1 ] && { echo "FAIL: TARVEN_REQUIRE_DOTNET=1 and no .NET SDK"; exit 1; }
  exit 0
fi
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1
status=0
results=()
step() {  # NAME COMMAND...: runs one step, remembers its outcome
  local name=$1
  shift
  echo "=== .NET: $name"
  if "$@"; then results+=("$name: passed"); else results+=("$name: FAILED"); status=1; fi
}

linux_tests() {
  cmake --preset host >/dev/null && cmake --build --preset host --target tarvenk3cmd_shared >/dev/null &&
    dotnet test dotnet/TarvenK3.Tests --nologo --verbosity quiet
}

work=$root/build/dotnet
packages() {
  make --no-print-directory package >/dev/null || return 1
  python3 tests/dotnet/check_nuget.py --sdk build/sdk --work "$work/check"
}

# The programs restore the two packages from build/sdk into a packages folder of their own, so
# that a package made again under the same version is never taken from a cache.
publish() {  # PROJECT RID
  local name
  name=$(basename "$1")
  dotnet publish "$1" --nologo -v quiet -c Release -r "$2" --self-contained \
    -p:TarvenK3Version="$version" -p:RestorePackagesPath="$work/packages" \
    -p:RestoreAdditionalProjectSources="$root/build/sdk" -o "$work/windows/$2/$name" >/dev/null
}
# x86 runs straight into the 32-bit library; x64 goes through the bridge, whose host is a 32-bit
# program it starts, so it runs as wow64 (a win64 prefix with its 32-bit half).
windows_runs() {
  local rid failed=0 windows=$work/windows
  version=$(ls build/sdk/TarvenK3-SDK-*.zip | sed 's/.*TarvenK3-SDK-\(.*\)\.zip/\1/')
  rm -rf "$work/packages/tarvenk3" "$work/packages/tarvenk3.simulator" "$windows"
  for rid in win-x64 win-x86; do
    publish tests/dotnet/WineCheck "$rid" && publish samples/dotnet/K3Sample "$rid" || return 1
    cp tests/dotnet/run-checks.sh docs/dotnet.md "$windows/$rid/"
  done
  tools/wine10/run.sh x86 "$windows/win-x86" bash ./run-checks.sh win-x86 . || failed=1
  tools/wine10/run.sh wow64 "$windows/win-x64" bash ./run-checks.sh win-x64 . || failed=1
  return $failed
}

step "xunit tests against the host library" linux_tests
step "the NuGet packages" packages
step "the packages' programs under Wine 10" windows_runs
echo "=== .NET steps"
printf '  %s\n' "${results[@]}"
exit $status
