#!/usr/bin/env bash
# make demo: the sample panel against the simulated unit (the stand-in IO.dll and TarVenCOM.dll
# stand beside it in the build's bin folder).
#   tools/demo.sh [BUILD_DIR]          default: build/win32 or build/win64
# With a display ($DISPLAY): the interactive window, until you close it. Without one: on a
# virtual display (Xvfb), a short scripted sequence of presses whose results it prints, and a
# screenshot of the window whose path it prints.
# The 32-bit build (the deliverable) runs where wine can run 32-bit programs; otherwise the
# 64-bit build of the same sources under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# The 32-bit Wine loader is itself a 32-bit program: it starts only where wine32 is installed
# and the kernel runs 32-bit code.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=win32
  runner="wine32"
else
  preset=win64
  runner="wine64 (this machine cannot run 32-bit programs)"
fi
build=$(realpath -m "${1:-build/$preset}")
prefix="$build/demo"
. "$root/tests/wine/wine-prefix.sh"
if [ $preset = win32 ]; then
  wine_env "$prefix/wineprefix" win32
  wine_run=(env "${wine_env[@]}" wine)
  wine_stop() { WINEPREFIX="$prefix/wineprefix" wineserver -k 2>/dev/null || true; }
else
  wine_run=("$root/tests/wine/wine64.sh" "$prefix")
  wine_stop() { "$root/tests/wine/wine64.sh" "$prefix" --stop; }
fi
echo "demo: the $preset build, under $runner"

echo "demo: building SamplePanel.exe, TarvenK3Cmd.dll and the simulated unit in $build"
log="$build/demo-build.log"
mkdir -p "$build"
if ! { cmake --preset $preset -B "$build" && cmake --build "$build" -j2 --target panel_demo; } >"$log" 2>&1; then
  tail -n 30 "$log"
  echo "demo: the build failed (log: $log)"
  exit 1
fi

xvfb_pid=
cleanup() {
  wine_stop
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

interactive=1
if [ -z "${DISPLAY:-}" ]; then
  interactive=0
  start_xvfb || { echo "demo: Xvfb did not start"; exit 1; }
  echo "demo: no display; using a virtual one ($DISPLAY)"
fi

mkdir -p "$prefix"
if [ ! -f "$prefix/wineprefix/system.reg" ]; then
  echo "demo: preparing Wine in $prefix (the first time takes a few seconds)"
  wine_prefix "$prefix/wineprefix" "${wine_run[@]}" >/dev/null 2>&1
fi
# A real display has a window manager; the virtual one has none.
if [ $interactive = 1 ]; then
  wine_managed yes "${wine_run[@]}" >/dev/null 2>&1 || true
else
  wine_managed no "${wine_run[@]}" >/dev/null 2>&1
fi

cd "$build/bin"
if [ $interactive = 1 ]; then
  echo "demo: the panel is open on $DISPLAY; press OpenTARVEN first. Close the window to end."
  "${wine_run[@]}" ./SamplePanel.exe 2>/dev/null
  exit 0
fi

echo "demo: pressing the panel's buttons:"
shot="$prefix/panel-demo"
rm -f "$shot.bmp" "$shot.png"
"${wine_run[@]}" ./panel_demo.exe SamplePanel.exe "$shot.bmp" 2>/dev/null | tr -d '\r' | sed 's/^/  /'
if [ -f "$shot.bmp" ] && convert "$shot.bmp" "$shot.png" 2>/dev/null; then
  rm -f "$shot.bmp"
  echo "demo: screenshot: $shot.png"
elif [ -f "$shot.bmp" ]; then
  echo "demo: screenshot: $shot.bmp"
else
  echo "demo: no screenshot was saved"
  exit 1
fi
