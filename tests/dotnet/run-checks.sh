#!/usr/bin/env bash
# Runs the published .NET programs of one Windows architecture under Wine: WineCheck with the unit
# present, absent, and with nothing opening, and the SDK's C# sample, whose output must read as
# docs/dotnet.md shows it. Runs where Wine 10 is (tools/wine10/run.sh starts it there).
#   run-checks.sh win-x64|win-x86 PUBLISH_DIR      PUBLISH_DIR/{WineCheck,K3Sample}/ hold the programs
set -u
rid=$1
root=$2
wine=${WINE:-wine}
failed=0
# A fresh simulated PC for each program, with a firmware version that is not the default one. The
# report's path is absolute: on x64 the simulated PC lives in the bridge's host, which runs in its
# own folder.
report=$(cd "$root/WineCheck" && pwd)/k3-report.txt
export TARVEN_SIM_FIRMWARE=2.7.1 TARVEN_SIM_REPORT=$report

run_check() {  # MODE [VARIABLE=VALUE...]
  local mode=$1
  shift
  echo "--- $rid: WineCheck $mode"
  (cd "$root/WineCheck" && rm -f "$report" && env "$@" "$wine" WineCheck.exe "$mode") || failed=1
}
run_check present
run_check absent TARVEN_SIM_UNIT=absent
run_check nothing TARVEN_SIM_UNIT=absent TARVEN_SIM_PORT_ACCESS=denied

echo "--- $rid: the C# sample"
expected=$(sed -n '/^Against the simulated unit it prints:/,/^## /p' "$root/dotnet.md" | sed -n '/^```$/,/^```$/p' | sed '1d;$d')
seen=$(cd "$root/K3Sample" && env -u TARVEN_SIM_FIRMWARE -u TARVEN_SIM_REPORT "$wine" K3Sample.exe 2>&1 | tr -d '\r')
echo "$seen"
if [ "$seen" != "$expected" ]; then
  echo "$rid: FAIL the sample printed other lines than docs/dotnet.md shows:"
  diff <(echo "$expected") <(echo "$seen")
  failed=1
fi
echo "$rid: the .NET checks $([ $failed = 0 ] && echo passed || echo FAILED)"
exit $failed
