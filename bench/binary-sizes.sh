#!/usr/bin/env bash
# Prints the sizes of the 32-bit binaries (runtime linked in statically): as built, and as
# shipped in the SDK package, without symbol tables.
#   binary-sizes.sh WIN32_BIN_DIR
bin=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf '%-18s %10s %10s\n' binary built shipped
for f in TarvenK3Cmd.dll SamplePanel.exe k3ctl.exe IO.dll TarVenCOM.dll; do
  [ -f "$bin/$f" ] || continue
  i686-w64-mingw32-strip --strip-all -o "$tmp/$f" "$bin/$f"
  printf '%-18s %10d %10d\n' "$f" "$(stat -c %s "$bin/$f")" "$(stat -c %s "$tmp/$f")"
done
