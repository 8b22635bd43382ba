#!/usr/bin/env bash
# Runs every preset's tests through CTest and says which builds were tested.
set -u
cd "$(dirname "$0")/.."
status=0
ran=()
for preset in "$@"; do
  echo "=== tests of the $preset build"
  if ctest --preset "$preset"; then ran+=("$preset: passed"); else ran+=("$preset: FAILED"); status=1; fi
done
echo "=== builds tested"
printf '  %s\n' "${ran[@]}"
exit $status
