# Sourced by every script that runs Windows programs under Wine (the tests, the demo, the caption
# probe, the 32-bit run's guest, the Wine 10 root): Wine's settings, the prefix, the display, the
# fonts and the window setting of a Wine prefix.

# The DLL overrides. Wine 8's runs turn mscoree and mshtml off: no Mono or Gecko installer is
# offered. Wine 10's .NET runs keep mscoree on, since CoreCLR maps the framework's assemblies with
# LoadLibrary and Wine binds every IL-only image to mscoree.dll, and turn winedbg off, so that a
# program that crashes ends at once instead of waiting in the debugger (tools/wine10/run.sh).
WINE_OVERRIDES="mscoree=;mshtml="
WINE_DOTNET_OVERRIDES="mshtml=;winedbg.exe=d"

# wine_env PREFIX [ARCH [OVERRIDES]]: sets the array wine_env to a run's settings as NAME=VALUE
# words, for env or export: WINEPREFIX, WINEARCH when ARCH (win32, win64) is given, WINEDEBUG (the
# caller's, else -all: no debug output) and WINEDLLOVERRIDES (default WINE_OVERRIDES).
wine_env() {
  wine_env=("WINEPREFIX=$1")
  [ -n "${2:-}" ] && wine_env+=("WINEARCH=$2")
  wine_env+=("WINEDEBUG=${WINEDEBUG:--all}" "WINEDLLOVERRIDES=${3:-$WINE_OVERRIDES}")
}

# wine_prefix PREFIX WINE...: makes PREFIX with `WINE... wineboot --init` unless it is made
# already (it has its system.reg, which wineserver writes when it ends), then gives it Wine's
# fonts; false when wineboot fails. WINE... runs a program in PREFIX (e.g. `timeout 600 wine`).
wine_prefix() {
  local prefix=$1
  shift
  if [ ! -f "$prefix/system.reg" ]; then "$@" wineboot --init || return; fi
  wine_fonts "$prefix"
}

# start_xvfb [SCREEN [LOG]]: starts Xvfb on a free display number (screen WxHxD, default
# 1024x768x24; its output to LOG, default none), sets xvfb_pid and exports DISPLAY; returns 1 when
# Xvfb does not start. The caller stops it by xvfb_pid.
start_xvfb() {
  local displayfile display
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp -screen 0 "${1:-1024x768x24}" 3>"$displayfile" >"${2:-/dev/null}" 2>&1 </dev/null &
  xvfb_pid=$!
  for _ in $(seq 200); do [ -s "$displayfile" ] && break; sleep 0.1; done
  display=$(tr -dc '0-9' <"$displayfile")
  rm -f "$displayfile"
  [ -n "$display" ] || return 1
  export DISPLAY=":$display"
}

# wine_fonts PREFIX: gives a prefix Wine's own fonts, the faces its dialogs and DEFAULT_GUI_FONT
# name ("MS Shell Dlg" -> Tahoma, MS Sans Serif, ...). Debian installs them in /usr/share/wine/fonts,
# where Wine started by its loader path does not look, and every face then falls back to a wider
# one. Wine loads every font in the prefix's Windows\Fonts.
wine_fonts() {
  mkdir -p "$1/drive_c/windows/Fonts" && cp -n /usr/share/wine/fonts/* "$1/drive_c/windows/Fonts/"
}

# wine_managed yes|no WINE...: whether a window manager frames the prefix's windows (yes, Wine's
# default) or Wine draws their frames itself (no). WINE... runs a program in the prefix. Without a
# window manager, as on Xvfb, Wine waits two seconds for each window it hides unless its windows
# are unmanaged, and only then does a screenshot show the title bar.
wine_managed() {
  local key='HKCU\Software\Wine\X11 Driver' managed=$1
  shift
  if [ "$managed" = yes ]; then
    "$@" reg delete "$key" /v Managed /f
  else
    "$@" reg add "$key" /v Managed /t REG_SZ /d N /f
  fi
}
