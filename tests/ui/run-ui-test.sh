#!/usr/bin/env bash
# Runs the sample panel's UI test (panel_ui_test.exe) of a Windows build, or another window's,
# and saves a screenshot of the window for people to look at.
#   run-ui-test.sh BUILD_DIR [NAME TEST_PROGRAM WINDOW_PROGRAM]   (default: panel panel_ui_test.exe SamplePanel.exe)
# 64-bit build: under wine64, on a display of its own (Xvfb on a free display number) and in a
#   Wine prefix of its own (BUILD_DIR/ui), both stopped at the end; BUILD_DIR/panel-win64.png.
# 32-bit run (TARVEN_WIN32=1, set by tools/vm32): under wine, on the display and in the prefix
#   the run provides; BUILD_DIR/panel-win32.png (.bmp where ImageMagick is missing).
# Wine swallows an exception raised in a window procedure, so a button handler that crashes
# would look merely ineffective: the test runs with WINEDEBUG=err+seh and fails on any line
# in which Wine says it ignored an exception.
set -u
build=$(cd "$1" && pwd)
name=${2:-panel} test_program=${3:-panel_ui_test.exe} window_program=${4:-SamplePanel.exe}
bin="$build/bin"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
limit=480  # seconds, within CTest's limit, so that the clean-up below always runs

if [ "${TARVEN_WIN32:-}" = 1 ]; then
  arch=win32
  wine_run=(wine)
  bin=$PWD  # the 32-bit run starts us in (a copy of) the bin folder
  limit=560
else
  arch=win64
  wine_run=("$here/../wine/wine64.sh" "$build/ui")
fi
shot="$build/$name-$arch"
log="$build/$name-ui-$arch.log"

# shellcheck source=../wine/wine-prefix.sh
. "$here/../wine/wine-prefix.sh"
xvfb_pid=
cleanup() {
  [ "$arch" = win64 ] && "$here/../wine/wine64.sh" "$build/ui" --stop
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
trap cleanup EXIT

if [ "$arch" = win64 ]; then
  start_xvfb || { echo "Xvfb did not start"; exit 1; }
  mkdir -p "$build/ui"
  wine_prefix "$build/ui/wineprefix" timeout "$limit" "${wine_run[@]}"
fi
[ -n "${DISPLAY:-}" ] || { echo "no display"; exit 1; }

# No window manager here: Wine draws the frames, so the screenshot shows the title bar.
WINEDEBUG=-all wine_managed no timeout 60 "${wine_run[@]}" >/dev/null

cd "$bin" || exit 1
rm -f "$shot.bmp" "$shot.png"
status=0
WINEDEBUG=err+seh timeout "$limit" "${wine_run[@]}" "./$test_program" "$window_program" "$shot.bmp" --gtest_color=no 2>"$log" || status=$?
grep -E '^[0-9a-f]+:err:' "$log" | grep -v 'err:seh' | head -n 20
if grep -E 'err:seh' "$log" | grep -i 'ignoring exception'; then
  echo "FAIL: an exception was raised and swallowed in a window procedure (see $log)"
  status=1
fi

if [ -f "$shot.bmp" ]; then
  if command -v convert >/dev/null && convert "$shot.bmp" "$shot.png"; then rm -f "$shot.bmp"; fi
  echo "screenshot: $(ls "$shot".png "$shot".bmp 2>/dev/null)"
fi
exit $status
