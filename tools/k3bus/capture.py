"""Captures of the tuner bus: a sigrok session (.sr, what PulseView saves) or a VCD file (what
the simulator writes), read as the moments the bus's four lines change."""
import configparser
import io
import re
import zipfile

LINES = ("enable", "clock", "data_out", "data_in")  # the order bus.LineReader takes them in
UNITS = {"s": 1.0, "ms": 1e-3, "us": 1e-6, "ns": 1e-9, "ps": 1e-12, "fs": 1e-15}
RATE_UNITS = {"hz": 1.0, "khz": 1e3, "mhz": 1e6, "ghz": 1e9}


class CaptureError(Exception):
    """What is wrong with a capture, said for the engineer."""


class Capture:
    """seconds_per_tick: one sample or VCD time step; end: the tick after the last sample;
    changes: (tick, enable, clock, data_out, data_in) at the start and at each change."""

    def __init__(self, path, channels, seconds_per_tick, end, changes):
        self.path, self.channels = path, channels
        self.seconds_per_tick, self.end, self.changes = seconds_per_tick, end, changes


def read(path, names):
    """names: the capture's channel name for each of LINES."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise CaptureError(f"{path}: {e.strerror}")
    if data.startswith(b"PK\x03\x04"):
        return _read_session(path, data, names)
    if data.lstrip().startswith(b"$") and b"$enddefinitions" in data:  # a VCD begins with its header
        return _read_vcd(path, data.decode("latin-1"), names)
    raise CaptureError(f"{path} is neither a sigrok session (.sr) nor a VCD file")


def _lookup(path, channels, names):
    missing = [f"{line} (looked for '{name}')" if name != line else line
               for line, name in zip(LINES, names) if name not in channels]
    if missing:
        raise CaptureError(
            f"{path} has no channel for {', '.join(missing)}; its channels are {', '.join(channels) or 'none'}.\n"
            f"Name the capture's channel of each line, e.g. --map "
            + ",".join(f"{line}=D{i}" for i, line in enumerate(LINES)))
    return [channels.index(name) for name in names]


def _read_session(path, data, names):
    try:
        with zipfile.ZipFile(io.BytesIO(data)) as archive:
            metadata = configparser.ConfigParser(interpolation=None)
            metadata.read_string(archive.read("metadata").decode())
            device = metadata["device 1"]
            count = int(device["total probes"])
            channels = [device.get(f"probe{i + 1}", "") for i in range(count)]
            unitsize = int(device.get("unitsize", "1"))
            rate = _rate(device["samplerate"])
            prefix = device.get("capturefile", "logic-1")
            parts = sorted((n for n in archive.namelist() if re.fullmatch(re.escape(prefix) + r"(-\d+)?", n)),
                           key=lambda n: int(n.rsplit("-", 1)[1]) if n != prefix else 0)
            samples = b"".join(archive.read(n) for n in parts)
    except (zipfile.BadZipFile, KeyError, ValueError, configparser.Error, UnicodeDecodeError) as e:
        raise CaptureError(f"{path} is not a sigrok session that k3bus can read ({e})")
    indexes = _lookup(path, channels, names)
    if len(samples) < unitsize:
        raise CaptureError(f"{path} holds no samples")
    return Capture(path, channels, 1.0 / rate, len(samples) // unitsize,
                   _session_changes(samples, unitsize, indexes))


def _rate(text):
    match = re.fullmatch(r"\s*([\d.]+)\s*([kmg]?hz)\s*", text, re.I)
    if not match:
        raise ValueError(f"sample rate '{text}'")
    return float(match.group(1)) * RATE_UNITS[match.group(2).lower()]


def _session_changes(samples, unitsize, indexes):
    """Each line's bit moved to bit i of one byte per sample (the sample's byte holding the
    channel's bit, translated), the four ORed as whole numbers; a sample that differs from the
    one before is a nonzero byte of that number XOR itself shifted by a sample."""
    combined = 0
    for i, channel in enumerate(indexes):
        byte, bit = divmod(channel, 8)
        table = bytes((1 << i) if value >> bit & 1 else 0 for value in range(256))
        combined |= int.from_bytes(samples[byte::unitsize].translate(table), "little")
    count = len(samples) // unitsize
    levels = combined.to_bytes(count, "little")
    changed = (combined ^ combined << 8).to_bytes(count + 1, "little")[:count]
    starts = [0] + [m.start() for m in re.compile(rb"[^\x00]").finditer(changed, 1)]
    return [(start, *(levels[start] >> i & 1 for i in range(4))) for start in starts]


def _read_vcd(path, text, names):
    header, _, body = text.partition("$enddefinitions")
    scale = re.search(r"\$timescale\s+([\d.]+)\s*([a-z]+)\s+\$end", header)
    if not scale or scale.group(2) not in UNITS:
        raise CaptureError(f"{path}: a VCD file without a time scale k3bus can read")
    wires = re.findall(r"\$var\s+\S+\s+1\s+(\S+)\s+(\S+)", header)
    channels = [name for _, name in wires]
    indexes = _lookup(path, channels, names)
    ids = {wires[i][0]: line for line, i in enumerate(indexes)}
    levels, tick, changes = [0] * 4, None, []

    def record():  # the levels at the end of time step tick, if they changed
        if tick is not None and (not changes or changes[-1][1:] != tuple(levels)):
            changes.append((tick, *levels))

    tokens = iter(body.split()[1:])  # past the "$end" of $enddefinitions
    for token in tokens:
        if token[0] == "#":
            record()
            tick = int(token[1:])
        elif token[0] in "01xzXZ":
            line = ids.get(token[1:])
            if line is not None:
                levels[line] = 1 if token[0] == "1" else 0
        elif token[0] in "bBrR":
            next(tokens, None)  # a vector or real value and its identifier: no line of ours
        elif token == "$comment":
            for token in tokens:
                if token == "$end":
                    break
    if not tick:
        raise CaptureError(f"{path} holds no samples")
    record()
    return Capture(path, channels, float(scale.group(1)) * UNITS[scale.group(2)], tick, changes)
