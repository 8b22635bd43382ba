#!/usr/bin/env python3
"""check_k3bus.py VCD_CALLS WORK: the simulator's waveform of the bench's calls decoded by k3bus
and by the sigrok decoder into the library's frames; captures unlike ours made from it, and files
k3bus cannot read, each checked by k3bus's exit code and what it prints."""
import os
import re
import shutil
import subprocess
import sys
import zipfile

sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checks import check, summary  # noqa: E402

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
sys.path.insert(0, os.path.join(TOOLS, "k3bus"))
import capture  # noqa: E402  k3bus's reader of captures, which the captures below are made from
ENABLE, DATA_OUT, CLOCK = 1, 2, 4  # bits of a sample, as write_sr lays them out
NAMES = ["enable", "data_out", "clock", "data_in"]

# The library's frames (TunerFrames.h); "2A": a status read, its bytes as the tuner answered.
FM_TUNE, FM_COUNT = ["28: BE 28 8E 70", "29: C3 80 C9 01"], ["29: C3 C1 C9 01", "2A", "28: BE 28 8E 70"]
AM_TUNE = ["28: 5A 2D BD 52", "29: C3 82 CA 03"]
AM_COUNT = ["29: C3 83 CA 03", "2A", "28: 5A 2D BD 52", "28: 5A 2D BD 5A", "2A", "28: 5A 2D BD 52"]
BENCH = FM_TUNE + ["2A"] + FM_COUNT * 4 + AM_TUNE + AM_COUNT * 4


def read_vcd(path):
    """The simulator's VCD as [(time in us, sample)], read by k3bus's own reader: one entry per
    change, and the end."""
    wave = capture.read(path, capture.LINES)
    us = wave.seconds_per_tick * 1e6
    bits = [1 << NAMES.index(line) for line in capture.LINES]  # as write_sr lays them out
    samples = [(tick * us, sum(b for b, level in zip(bits, levels) if level)) for tick, *levels in wave.changes]
    return samples + [(wave.end * us, samples[-1][1])]


def edit(wave, start, end, change):
    """The samples from start to end (us) changed by change."""
    at = lambda t: [v for s, v in wave if s <= t][-1]  # noqa: E731
    inside = [(start, change(at(start)))] + [(t, change(v)) for t, v in wave if start < t < end]
    return [c for c in wave if c[0] < start] + inside + [(end, at(end))] + [c for c in wave if c[0] > end]


def edges(wave, bit, rising):
    return [t for (_, a), (t, b) in zip(wave, wave[1:]) if (a ^ b) & bit and bool(b & bit) == rising]


def write_sr(wave, path, mhz, names=NAMES):
    """A sigrok session of the wave sampled at mhz."""
    samples = b"".join(bytes([v]) * (round(t1 * mhz) - round(t0 * mhz)) for (t0, v), (t1, _) in zip(wave, wave[1:]))
    probes = "".join(f"probe{i + 1}={name}\n" for i, name in enumerate(names))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as sr:
        sr.writestr("version", "2")
        sr.writestr("metadata", f"[device 1]\ncapturefile=logic-1\ntotal probes={len(names)}\n"
                                f"samplerate={mhz:g} MHz\ntotal analog=0\n{probes}unitsize=1\n")
        sr.writestr("logic-1-1", samples)
    return path


def flip_first_data_bit(wave):
    """Byte 1 of the first frame with its least significant bit flipped."""
    start = edges(wave, ENABLE, True)[0]
    falls = [t for t in edges(wave, CLOCK, False) if t > start]
    return edit(wave, falls[0], falls[1], lambda v: v ^ DATA_OUT)


def cut_second_frame(wave):
    """The second frame's last clock pulse taken away: 31 data bits."""
    end = edges(wave, ENABLE, False)[1]
    fall = [t for t in edges(wave, CLOCK, False) if t < end][-1]
    return edit(wave, fall, fall + 2, lambda v: v | CLOCK)


def glitch(wave):
    """The first three frames, cut between the third and the fourth (the sigrok decoder shows no
    frame the capture's end cuts off), with a 1/24 us low pulse in the middle of the first data
    bit's clock high."""
    rise = [t for t in edges(wave, CLOCK, True) if t > edges(wave, ENABLE, True)[0]][0]
    end = edges(wave, ENABLE, False)[2]
    end = (end + [t for t, _ in wave if t > end][0]) / 2
    wave = [c for c in wave if c[0] < end] + [(end, [v for t, v in wave if t < end][-1])]
    return edit(wave, rise + 0.5, rise + 0.5 + 1 / 24, lambda v: v & ~CLOCK)


def shorten_pause(longer_than_ms):
    """The first pause longer than longer_than_ms cut down to 10 ms."""
    def shorten(wave):
        start, end = [(a, b) for (a, _), (b, _) in zip(wave, wave[1:]) if b - a > longer_than_ms * 1000][0]
        cut = end - start - 10000
        return [(t if t <= start else t - cut, v) for t, v in wave]
    return shorten


def k3bus(*args):
    run = subprocess.run([sys.executable, "-B", os.path.join(TOOLS, "k3bus"), *args], capture_output=True, text=True)
    check("Traceback" not in run.stderr, f"k3bus {' '.join(args)}: {run.stderr}")
    return run


def frames_of(output):
    return re.findall(r"^ +[\d.]+ ms  \w+ +([0-9A-F-]{2}:(?: [0-9A-F]{2})*)", output, re.M)


def sigrok(capture):
    """The sigrok decoder's frame annotations and flags, by sigrok-cli from the tools folder."""
    channels = ":".join(f"{n}={n}" for n in NAMES)
    run = subprocess.run(["sigrok-cli", "-i", capture, "-P", f"tarven_k3:{channels}", "-A", "tarven_k3=frame:flag"],
                         capture_output=True, text=True, env=dict(os.environ, SIGROKDECODE_DIR=os.path.join(TOOLS, "sigrok")))
    check(run.returncode == 0 and run.stderr == "", f"sigrok-cli {capture}: {run.stderr}")
    return [line.partition(": ")[2].split() for line in run.stdout.splitlines()]


def main():
    work = sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    vcd = os.path.join(work, "bench.vcd")
    calls = subprocess.run([sys.argv[1], "bench", vcd], capture_output=True, text=True)
    check(calls.returncode == 0, f"vcd_calls bench: exit {calls.returncode}")
    answered = iter(re.findall(r"(?:[0-9A-F]{2} ){5}[0-9A-F]{2}", calls.stdout))
    expected = [f"2A: {next(answered)}" if f == "2A" else f for f in BENCH]

    decoded = k3bus("decode", vcd)
    check(decoded.returncode == 0 and frames_of(decoded.stdout) == expected,
          f"the bench's waveform decodes as {frames_of(decoded.stdout)}, exit {decoded.returncode}; "
          f"the library sent {expected}")
    check("the first transfer after the radio opened" in decoded.stdout.splitlines()[1],
          "the first frame after the radio opened is not said to be")

    wave = read_vcd(vcd)
    path = lambda name: os.path.join(work, name)  # noqa: E731
    session = path("sigrok-cli.sr")
    subprocess.run(["sigrok-cli", "-i", vcd, "-I", "vcd", "-o", session, "-O", "srzip"], check=True)
    mapped = write_sr(wave, path("analyser.sr"), 4, ["D3", "D0", "D2", "D1"])
    glitched = write_sr(glitch(wave), path("glitch.sr"), 24)
    for capture in (vcd, glitched):
        lines = k3bus("decode", capture).stdout.splitlines()[1:-1]
        mine = [part.split() for line in lines for part in line.split(" ms  ", 1)[1].replace("]", "").split("  [")]
        check(sigrok(capture) == mine, f"the sigrok decoder does not read {capture} as k3bus does")

    every = f"{len(BENCH)} frames compared: {len(BENCH)} equal, 0 different, 0 missing, 0 extra; 0 timing violations"
    # (case, k3bus arguments, exit code, text in its output)
    cases = [
        *[(f"resampled to {mhz} MHz", ["compare", vcd, write_sr(wave, path(f"{mhz}mhz.sr"), mhz)], 0, every)
          for mhz in (2, 4, 24)],
        ("a sigrok session by sigrok-cli", ["compare", vcd, session], 0, every),
        ("an analyser's channels, mapped", ["compare", "--map", "enable=D3,data_out=D0,clock=D2,data_in=D1", vcd, mapped],
         0, every),
        ("a flipped bit", ["compare", vcd, write_sr(flip_first_data_bit(wave), path("flip.sr"), 4)], 1,
         "different divisor frame: divisor 0x28BE expected, 0x28BF seen"),
        ("a frame cut short", ["compare", vcd, write_sr(cut_second_frame(wave), path("cut.sr"), 4)], 1,
         "different mode frame: length 32 data bits expected, 31 seen  [length: 31 data bits, a mode frame has 32]"),
        ("a clock glitch", ["decode", glitched], 1, "[timing: clock low for 0.042 us, the shortest is 0.5 us]"),
        ("a pause after a count", ["compare", vcd, write_sr(shorten_pause(30)(wave), path("count.sr"), 2)], 1,
         "after a count, the library waits 35 ms]"),
        ("a pause after a retry", ["decode", write_sr(shorten_pause(39)(wave), path("retry.sr"), 2)], 1,
         "after the retry frame, the library waits 40 ms]"),
        ("not a capture", ["decode", __file__], 2, "is neither a sigrok session (.sr) nor a VCD file"),
        ("an analyser's channels, not mapped", ["decode", mapped], 2,
         "has no channel for enable, clock, data_out, data_in; its channels are D3, D0, D2, D1.\n"
         "Name the capture's channel of each line, e.g. --map enable=D0,clock=D1,data_out=D2,data_in=D3"),
        ("an empty capture", ["decode", write_sr([(0, 0), (0, 0)], path("empty.sr"), 1)], 2, "holds no samples"),
        ("a map without channels", ["decode", "--map", "clock", vcd], 2, "'clock' is not LINE=CHANNEL"),
    ]
    for name, args, status, text in cases:
        run = k3bus(*args)
        check(run.returncode == status and text in run.stdout + run.stderr,
              f"{name}: exit {run.returncode}, expected {status} and {text!r} in\n{run.stdout}{run.stderr}")
    return summary()


if __name__ == "__main__":
    sys.exit(main())
