#!/usr/bin/env bash
# Runs a Windows program of the win64 build under wine64, in the build folder's own prefix.
#   wine64.sh BUILD_DIR PROGRAM [ARGS...]     run PROGRAM (a path or a builtin such as wineboot)
#   wine64.sh BUILD_DIR --stop                end this prefix's wineserver
set -u
build=$1; shift
# shellcheck source=wine-prefix.sh
. "$(dirname "$0")/wine-prefix.sh"
wine_env "$build/wineprefix"
export "${wine_env[@]}"
if [ "${1:-}" = "--stop" ]; then
  [ -d "$WINEPREFIX" ] && /usr/lib/wine/wineserver64 -k 2>/dev/null
  exit 0
fi
if [ "${1:-}" = "wineboot" ]; then
  # A new prefix gets Wine's own fonts (Tahoma, MS Sans Serif, ...).
  /usr/lib/wine/wine64 "$@" || exit
  wine_fonts "$WINEPREFIX"
  exit
fi
exec /usr/lib/wine/wine64 "$@"
