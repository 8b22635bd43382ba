#!/usr/bin/env bash
# Shows how Wine draws the panel's two-line captions in bare standard buttons: builds the win64
# caption probe, runs it on a virtual display and saves build/win64/caption-probe.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(pwd)/build/win64
cmake --preset win64 >/dev/null && cmake --build --preset win64 --target caption_probe >/dev/null
. tests/wine/wine-prefix.sh
start_xvfb
wine=(tests/wine/wine64.sh "$build/probe")
mkdir -p "$build/probe"
wine_prefix "$build/probe/wineprefix" "${wine[@]}" >/dev/null 2>&1
wine_managed no "${wine[@]}" >/dev/null 2>&1
"${wine[@]}" "$build/bin/caption_probe.exe" & probe=$!
sleep 5
xwd -root -silent | convert xwd:- -crop 480x220+0+0 "$build/caption-probe.png"
kill "$probe"; "${wine[@]}" --stop; kill "$xvfb_pid"
echo "caption probe: $build/caption-probe.png"
