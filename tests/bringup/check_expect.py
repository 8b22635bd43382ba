#!/usr/bin/env python3
"""check_expect.py BIN_DIR WINE...: tools/k3bus-expect.cmd under Wine's cmd in the package's layout
made from BIN_DIR, with a "real" IO.dll and TarVenCOM.dll in bin\\ that cannot load: the waveform of
`k3ctl radio detect 93.5M` decodes into the library's frames, and bin\\ is left as it was."""
import os
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
sys.path.insert(0, HERE)
from check_k3bus import FM_COUNT, FM_TUNE, frames_of, k3bus  # noqa: E402
from checks import check, summary  # noqa: E402

BIN, WINE = os.path.abspath(sys.argv[1]), sys.argv[2:]
kit = os.path.join(os.path.dirname(BIN), "k3bus-expect")
shutil.rmtree(kit, ignore_errors=True)
for folder, names in (("bin", ["k3ctl.exe", "TarvenK3Cmd.dll"]), ("simulator", ["IO.dll", "TarVenCOM.dll"])):
    os.makedirs(os.path.join(kit, folder))
    for name in names:
        shutil.copy(os.path.join(BIN, name), os.path.join(kit, folder))
real = {name: f"the real {name}, which the bench's driver installed".encode() for name in ("IO.dll", "TarVenCOM.dll")}
for name, data in real.items():
    with open(os.path.join(kit, "bin", name), "wb") as f:
        f.write(data)
os.makedirs(os.path.join(kit, "tools"))
shutil.copy(os.path.join(HERE, "..", "..", "tools", "k3bus-expect.cmd"), os.path.join(kit, "tools"))

expect = [*WINE, "cmd", "/c", r"tools\k3bus-expect.cmd"]
run = subprocess.run([*expect, "expected.vcd", "radio", "detect", "93.5M"], cwd=kit, capture_output=True, text=True)
check(run.returncode == 0 and run.stdout.strip() == "FM 93.50 MHz: station, stereo",
      f"k3bus-expect.cmd: exit {run.returncode}, {run.stdout}{run.stderr}")
decoded = k3bus("decode", os.path.join(kit, "expected.vcd"))
frames = frames_of(decoded.stdout)
library = FM_TUNE + FM_COUNT * 4 + ["2A"]
check(decoded.returncode == 0 and [f[:2] if f.startswith("2A") else f for f in frames] == library,
      f"the expected waveform decodes as {frames}, exit {decoded.returncode}; the library sends {library}")
check("the first transfer after the radio opened" in decoded.stdout, "the radio's opening is not in the waveform")
for name in os.listdir(os.path.join(kit, "bin")):
    check(name not in real or open(os.path.join(kit, "bin", name), "rb").read() == real[name], f"bin\\{name} was changed")
check(len(os.listdir(os.path.join(kit, "bin"))) == 4, f"bin\\ holds {os.listdir(os.path.join(kit, 'bin'))}")

usage = subprocess.run([*expect, "expected.vcd"], cwd=kit, capture_output=True, text=True)
check(usage.returncode == 2 and "usage: k3bus-expect.cmd VCD K3CTL-ARGUMENTS" in usage.stderr,
      f"k3bus-expect.cmd without a command: exit {usage.returncode}, {usage.stderr}")
sys.exit(summary())
