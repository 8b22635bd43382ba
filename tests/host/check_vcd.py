#!/usr/bin/env python3
# check_vcd.py CASE VCD -- COMMAND...: runs COMMAND ("{vcd}" replaced by VCD), which writes the
# simulator's waveform to VCD (and maybe VCD.returned, a copy taken as its last call returned),
# and decodes each file with sigrok-cli: two SPI decoders on enable, active-low for the address
# bytes, active-high for the data bytes. sigrok-cli exits 0 on many failures: stderr must be empty.
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checks import check, failures  # noqa: E402

TUNE = "BE 28 8E 70 C3 80 C9 01".split()  # FM 93.50: divisor frame, then mode frame
SAMPLE = ["29", "2A", "28"]  # a detection sample: counting mode, status read, divisor
# case: addresses; data bytes ("answered": the status bytes COMMAND printed; None: not
# compared); at least how many waits of 35 ms or more; whether only the decoding's start is
# compared; whether TARVEN_SIM_VCD names the file.
CASES = {
    "tune": (["28", "29"], TUNE, 0, False, False),
    "status": (["2A"], "answered", 0, False, False),
    "detect": (["28", "29"] + SAMPLE * 4, None, 4, False, False),
    "close-radio": ([], [], 0, False, False),
    # The DLL stand-ins under Wine: the radio test's tune, its detection and stereo read, the
    # next tune. The first tune follows the opening of the radio, whose pattern leaves the
    # clock low: its starting write raises the clock while lowering enable, and a decoder
    # counts that edge as an address bit (0x28 decodes as 0x50).
    "dll-radio-test": (["50", "29"] + SAMPLE * 4 + ["2A", "28", "29"], TUNE, 4, True, True),
}
SPI = "spi:clk=clock:cs=enable:cpol=1:cpha=1:"


def decode(path, read):
    data = "miso=data_in:bitorder=msb-first" if read else "mosi=data_out:bitorder=lsb-first"
    run = subprocess.run(["sigrok-cli", "-i", path, "-I", "vcd",
                          "-P", SPI + "mosi=data_out:cs_polarity=active-low:bitorder=lsb-first",
                          "-P", SPI + "cs_polarity=active-high:" + data,
                          "-A", "spi=mosi-data:miso-data" if read else "spi=mosi-data"],
                         capture_output=True, text=True)
    check(run.returncode == 0 and run.stderr == "", f"sigrok-cli {path}: {run.stderr!r}")
    lines = [line.split(": ") for line in run.stdout.splitlines()]
    return [b for i, b in lines if i == "spi-1"], [b for i, b in lines if i == "spi-2"]


def parse(path, padded=False):
    """Checks the file's form; returns its timestamps and each wire's last value. padded: a copy
    taken while the file was written, whose text newlines follow up to the file's end."""
    text = open(path).read()
    header, _, body = text.partition("$enddefinitions $end\n")
    dump = re.match(r"#0\n\$dumpvars\n(.*?)\$end\n", body, re.S)
    values = {v[1:]: v[0] for v in dump.group(1).split()} if dump else {}
    ids = re.findall(r"^\$var wire 1 (\S) \S+ \$end$", header, re.M)
    check(header.startswith("$timescale 1 us $end\n"), f"{path}: timescale 1 us")
    check(ids and sorted(values) == sorted(ids), f"{path}: every wire valued at #0 in $dumpvars")
    check("$comment" not in text, f"{path}: no $comment")
    ending = r"\n#\d+\n+\Z" if padded else r"\n#\d+\n\Z"
    check(re.search(ending, text), f"{path}: ends with a timestamp after the last change")
    times = [int(t[1:]) for t in body[dump.end():].split() if t[0] == "#"] if dump else []
    values.update((t[1:], t[0]) for t in (body[dump.end():].split() if dump else []) if t[0] != "#")
    return times, values


name, path, command = sys.argv[1], sys.argv[2], sys.argv[4:]
addresses, data, waits, prefix, environment = CASES[name]
for stale in (path, path + ".returned"):
    if os.path.exists(stale):
        os.remove(stale)
run = subprocess.run([arg.replace("{vcd}", path) for arg in command], capture_output=True,
                     text=True, env=dict(os.environ, TARVEN_SIM_VCD=path) if environment else None)
check(run.returncode == 0, f"{command}: exit {run.returncode}, {(run.stdout + run.stderr)[-3000:]}")
read = data == "answered"
data = run.stdout.split() if read else data
times, last = parse(path)
for copy in [path] + ([path + ".returned"] if os.path.exists(path + ".returned") else []):
    got_addresses, got_data = decode(copy, read)
    if prefix:
        got_addresses, got_data = got_addresses[:len(addresses)], got_data[:len(data)]
    check(got_addresses == addresses, f"{copy}: addresses {got_addresses}, expected {addresses}")
    check(data is None or got_data == data, f"{copy}: data {got_data}, expected {data}")
    check(copy == path or parse(copy, padded=True)[1] == last,
          f"{copy}: lines not as at exit when it returned")
seen = sum(b - a >= 35000 for a, b in zip(times, times[1:]))
check(seen >= waits, f"{path}: {seen} waits of 35 ms or more, expected {waits}")
print("FAILED" if failures else "OK")
sys.exit(1 if failures else 0)
