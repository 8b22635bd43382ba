#!/usr/bin/env bash
# Reports one test of the 32-bit run: prints its output and exits with its exit code.
#   win32-result.sh RESULTS_DIR NAME
results=$1
name=$2
if [ ! -f "$results/$name.rc" ]; then
  echo "$name did not run in the 32-bit run (no $results/$name.rc)"
  exit 1
fi
cat "$results/$name.log" 2>/dev/null
rc=$(cat "$results/$name.rc")
echo "exit code: $rc"
exit "$rc"
