"""k3bus: the tuner bus of a TARVEN K3 unit, from a logic analyser's capture, as frames.

  python k3bus decode [--map MAP] CAPTURE             one line per frame, then a summary
  python k3bus compare [--map MAP] EXPECTED CAPTURE   the frames beside those expected

CAPTURE: a sigrok session (.sr) or a VCD file, at any sample rate. EXPECTED: the simulator's
VCD of the same calls (tools/k3bus-expect.cmd). --map names the capture's channel of each
line, e.g. enable=D0,clock=D1,data_out=D2,data_in=D3; by default the names are those of the
simulator's VCD. Exit codes: 0 the frames are healthy (decode) or as expected (compare);
1 a frame is flagged or differs; 2 a bad command line or a capture k3bus cannot read.
"""
import argparse
import collections
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ of the modules below in the SDK folder
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sigrok", "tarven_k3"))
import bus  # noqa: E402  the decoder's own modules: k3bus reads frames as the decoder does
import capture  # noqa: E402
import compare  # noqa: E402
import frames  # noqa: E402

BAD_INPUT = 2


def read_frames(path, names):
    """The capture's frames, each read as the sigrok decoder reads it."""
    taken = capture.read(path, names)
    lines = bus.LineReader(taken.seconds_per_tick, frames.SHORTEST_LEVEL_S)
    reader = frames.FrameReader(taken.seconds_per_tick)
    found = [reader.read(t) for change in taken.changes for t in lines.levels(*change)]
    cut = lines.finish(taken.end)
    if cut:
        found.append(reader.read(cut))
    return taken, found


def when(frame):
    return f"{frame.time * 1000:10.3f} ms" if frame.time is not None else f"tick {frame.start:>10}"


def flags(frame):
    return "".join(f"  [{kind}: {text}]" for kind, text, _, _ in frame.flags)


def describe(path, taken, found):
    rate = 1 / taken.seconds_per_tick
    rate = f"{rate / 1e6:g} MHz" if rate >= 1e6 else f"{rate / 1e3:g} kHz"
    return f"{path}: {len(found)} frames, {rate}, {taken.end * taken.seconds_per_tick * 1000:.3f} ms"


def decode(args):
    taken, found = read_frames(args.capture, args.names)
    print(describe(args.capture, taken, found))
    for frame in found:
        print(f"{when(frame)}  {frame.name():<8} {frame.text():<22} {frame.describe()}{flags(frame)}")
    kinds = collections.Counter(frame.name() for frame in found)
    flagged = collections.Counter(kind for frame in found for kind, _, _, _ in frame.flags)
    print(f"{len(found)} frames: " + ", ".join(f"{n} {name}" for name, n in kinds.items()) + "; "
          + ("flags: " + ", ".join(f"{n} {kind}" for kind, n in flagged.items()) if flagged else "no flags"))
    if not found:
        print("no frames: is the radio open, and is each line on its channel (--map)?")
    return 0 if found and not flagged else 1


def compare_captures(args):
    default = dict(zip(capture.LINES, capture.LINES))
    expected_taken, expected = read_frames(args.expected, [default[line] for line in capture.LINES])
    taken, seen = read_frames(args.capture, args.names)
    print("expected " + describe(args.expected, expected_taken, expected))
    print("capture  " + describe(args.capture, taken, seen))
    print(f"{'':2}{'capture time':>13}  {'expected':<27} {'seen':<27}")
    counts = collections.Counter()
    for e, s, differ in compare.pair(expected, seen):
        if e and s:
            mark, result = ("!", f"different {e.name()} frame: " + "; ".join(differ)) if differ else ("=", s.describe())
            counts["different" if differ else "equal"] += 1
        else:
            mark, result = ("-", "missing: " + e.describe()) if e else ("+", "extra: " + s.describe())
            counts["missing" if e else "extra"] += 1
        time = when(s) if s else ""
        print(f"{mark} {time:>13}  {e.text() if e else '':<27} {s.text() if s else '':<27} {result}"
              + (flags(s) if s else ""))
    timing = sum(kind == "timing" for frame in seen for kind, _, _, _ in frame.flags)
    other = sum(kind != "timing" for frame in seen for kind, _, _, _ in frame.flags)
    print(f"{sum(counts.values())} frames compared: {counts['equal']} equal, {counts['different']} different, "
          f"{counts['missing']} missing, {counts['extra']} extra; {timing} timing violations"
          + (f", {other} other flags" if other else ""))
    return 0 if counts["equal"] == sum(counts.values()) and not timing and not other else 1


def channel_names(text):
    """--map: LINE=CHANNEL pairs; lines not named keep their own names."""
    names = dict(zip(capture.LINES, capture.LINES))
    for pair in filter(None, text.split(",")):
        line, _, channel = pair.partition("=")
        if line not in names or not channel:
            raise argparse.ArgumentTypeError(
                f"'{pair}' is not LINE=CHANNEL with LINE one of {', '.join(capture.LINES)}")
        names[line] = channel
    return [names[line] for line in capture.LINES]


def main():
    parser = argparse.ArgumentParser(prog="k3bus", description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    for name, help_text in (("decode", "the frames of a capture"),
                            ("compare", "a capture's frames beside those the library meant")):
        command = commands.add_parser(name, help=help_text)
        command.add_argument("--map", dest="names", type=channel_names, default=list(capture.LINES),
                             metavar="LINE=CHANNEL,...",
                             help="the capture's channel of each line, e.g. enable=D0,clock=D1,data_out=D2,data_in=D3")
        if name == "compare":
            command.add_argument("expected", help="the simulator's VCD of the same calls")
        command.add_argument("capture", help="a sigrok session (.sr) or a VCD file")
    args = parser.parse_args()
    try:
        return decode(args) if args.command == "decode" else compare_captures(args)
    except capture.CaptureError as e:
        print(f"k3bus: {e}", file=sys.stderr)
        return BAD_INPUT
    except BrokenPipeError:
        return 0


if __name__ == "__main__":
    sys.exit(main())
