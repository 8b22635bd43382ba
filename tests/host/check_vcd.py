#!/usr/bin/env python3
"""Decodes the simulator's waveform file with sigrok-cli and compares the bytes on the bus.

    check_vcd.py CASE VCD -- COMMAND...

Runs COMMAND (each "{vcd}" in it replaced by VCD), which writes the waveform to VCD, then
decodes VCD, and VCD.returned when COMMAND left one (a copy taken as its last call returned,
before the file was closed), with two SPI decoders on the enable line: active-low for the
address bytes (least significant bit first, on data_out), active-high for the data bytes
(data_out least significant bit first for writes, data_in most significant bit first for
status reads). sigrok-cli exits 0 on many failures: its stderr must be empty.
"""
import os
import re
import subprocess
import sys

TUNE_FM_9350 = ["BE", "28", "8E", "70", "C3", "80", "C9", "01"]
SAMPLE = ["29", "2A", "28"]  # one detection sample: counting mode, status read, divisor

# case: addresses and data bytes decoded (data "answered": the status bytes COMMAND printed;
# None: not compared), whether they are the whole decoding or its start, how many waits of
# 35 ms or more the file shows (None: not counted), and whether TARVEN_SIM_VCD names the file.
CASES = {
    "tune": dict(addresses=["28", "29"], data=TUNE_FM_9350),
    # The open pattern leaves the clock low: the first transfer's starting write raises it
    # while lowering enable, and a decoder counts that edge as an address bit.
    "tune-after-open": dict(addresses=["50", "29"], data=TUNE_FM_9350),
    "status": dict(addresses=["2A"], data="answered", read=True),
    "detect": dict(addresses=["28", "29"] + SAMPLE * 4, data=None, waits=4),
    "close-radio": dict(addresses=[], data=[]),
    # The DLL stand-ins under Wine, configured by the environment: the radio test's first
    # tune (right after opening the radio), its detection and stereo read, the next tune.
    "dll-radio-test": dict(addresses=["50", "29"] + SAMPLE * 4 + ["2A", "28", "29"],
                           data=TUNE_FM_9350, prefix=True, waits_at_least=4, environment=True),
}

DECODERS = {
    False: ["-P", "spi:clk=clock:mosi=data_out:cs=enable:cs_polarity=active-low:cpol=1:cpha=1:"
                  "bitorder=lsb-first",
            "-P", "spi:clk=clock:mosi=data_out:cs=enable:cs_polarity=active-high:cpol=1:cpha=1:"
                  "bitorder=lsb-first",
            "-A", "spi=mosi-data"],
    True: ["-P", "spi:clk=clock:mosi=data_out:cs=enable:cs_polarity=active-low:cpol=1:cpha=1:"
                 "bitorder=lsb-first",
           "-P", "spi:clk=clock:miso=data_in:cs=enable:cs_polarity=active-high:cpol=1:cpha=1:"
                 "bitorder=msb-first",
           "-A", "spi=mosi-data:miso-data"],
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message)


def decode(path, read):
    run = subprocess.run(["sigrok-cli", "-i", path, "-I", "vcd"] + DECODERS[read],
                         capture_output=True, text=True)
    check(run.returncode == 0 and run.stderr == "",
          f"sigrok-cli on {path}: exit {run.returncode}, stderr {run.stderr!r}")
    decoded = {"spi-1": [], "spi-2": []}
    for line in run.stdout.splitlines():
        instance, _, byte = line.partition(": ")
        decoded.setdefault(instance, []).append(byte.strip())
    return decoded["spi-1"], decoded["spi-2"]


def parse(path):
    """The file's declared identifiers, its $dumpvars values, its timestamps and final values."""
    text = open(path).read()
    header, _, body = text.partition("$enddefinitions $end\n")
    ids = re.findall(r"^\$var wire 1 (\S) \S+ \$end$", header, re.M)
    dumpvars = re.search(r"^#0\n\$dumpvars\n(.*?)^\$end$", body, re.M | re.S)
    initial = {line[1:]: line[0] for line in dumpvars.group(1).split()} if dumpvars else {}
    times, final = [], dict(initial)
    for line in body[dumpvars.end():].split() if dumpvars else []:
        if line.startswith("#"):
            times.append(int(line[1:]))
        else:
            final[line[1:]] = line[0]
    return dict(text=text, header=header, ids=ids, initial=initial, times=times, final=final,
                ends_with_stamp=bool(re.search(r"\n#\d+\n\Z", text)))


def check_format(path, vcd):
    check(vcd["header"].startswith("$timescale 1 us $end\n"), f"{path}: timescale of 1 us first")
    check(sorted(vcd["initial"]) == sorted(vcd["ids"]) and vcd["ids"],
          f"{path}: every wire valued in $dumpvars at #0 ({vcd['initial']} for {vcd['ids']})")
    check("$comment" not in vcd["text"], f"{path}: no $comment")
    check(vcd["ends_with_stamp"], f"{path}: ends with a timestamp after the last change and a newline")
    check(vcd["times"] == sorted(vcd["times"]), f"{path}: timestamps in order")


def main():
    name, path, command = sys.argv[1], sys.argv[2], sys.argv[4:]
    case = CASES[name]
    for stale in (path, path + ".returned"):
        if os.path.exists(stale):
            os.remove(stale)
    env = dict(os.environ, TARVEN_SIM_VCD=path) if case.get("environment") else None
    run = subprocess.run([arg.replace("{vcd}", path) for arg in command], capture_output=True,
                         text=True, env=env)
    check(run.returncode == 0, f"{' '.join(command)} exited {run.returncode}: {run.stdout[-2000:]}"
                               f"{run.stderr[-2000:]}")
    if not os.path.exists(path):
        check(False, f"no waveform file {path}")
        return
    read = case.get("read", False)
    expected_data = case["data"]
    if expected_data == "answered":
        expected_data = run.stdout.split()
        check(len(expected_data) == 6, f"six status bytes answered: {expected_data}")

    closed = parse(path)
    check_format(path, closed)
    copies = [path] + ([path + ".returned"] if os.path.exists(path + ".returned") else [])
    for copy in copies:
        addresses, data = decode(copy, read)
        if case.get("prefix"):
            addresses, data = addresses[:len(case["addresses"])], data[:len(expected_data)]
        check(addresses == case["addresses"], f"{copy}: addresses {addresses}, expected {case['addresses']}")
        if expected_data is not None:
            check(data == expected_data, f"{copy}: data {data}, expected {expected_data}")
        if copy != path:
            returned = parse(copy)
            check_format(copy, returned)
            check(returned["final"] == closed["final"],
                  f"{copy}: as the call returned the lines were already as at exit")

    gaps = [b - a for a, b in zip(closed["times"], closed["times"][1:])]
    waits = sum(gap >= 35000 for gap in gaps)
    if "waits" in case:
        check(waits == case["waits"], f"{path}: {waits} waits of 35 ms or more, expected {case['waits']}")
    if "waits_at_least" in case:
        check(waits >= case["waits_at_least"], f"{path}: {waits} waits of 35 ms or more")


if __name__ == "__main__":
    main()
    print("FAILED" if failures else "OK")
    sys.exit(1 if failures else 0)
