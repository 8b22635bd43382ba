# Sourced by the scripts that need a virtual display.
# start_xvfb: starts Xvfb on a free display number, sets xvfb_pid and exports DISPLAY;
# returns 1 when Xvfb does not start. The caller stops it by xvfb_pid.
start_xvfb() {
  local displayfile display
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$displayfile" >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  display=$(tr -dc '0-9' <"$displayfile")
  rm -f "$displayfile"
  [ -n "$display" ] || return 1
  export DISPLAY=":$display"
}
