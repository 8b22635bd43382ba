"""Two lists of frames side by side: the frames the library meant to send (the simulator's
waveform of the same calls) and those a capture shows, paired by their addresses in order."""
import difflib


def differences(expected, seen):
    """What differs between two frames at the same place: the address, the length, or the
    written fields by name. A status read's answer is the tuner's, not the library's: not
    compared."""
    if expected.address != seen.address:
        return [f"address {_address(expected)} expected, {_address(seen)} seen"]
    if expected.bits != seen.bits:
        return [f"length {expected.bits} data bits expected, {seen.bits} seen"]
    if expected.register is None or expected.register.read:
        return []
    seen_fields = {name: text for name, _, _, text in seen.fields()}
    return [f"{name} {text} expected, {seen_fields.get(name)} seen"
            for name, _, _, text in expected.fields() if seen_fields.get(name) != text]


def _address(frame):
    return "--" if frame.address is None else f"{frame.address:02X}"


def pair(expected, seen):
    """(expected frame or None, seen frame or None, differences) in order: an address that
    differs within a run pairs the two frames; what is left over is missing or extra."""
    matcher = difflib.SequenceMatcher(None, [f.address for f in expected], [f.address for f in seen],
                                      autojunk=False)
    for tag, e0, e1, s0, s1 in matcher.get_opcodes():
        for i in range(max(e1 - e0, s1 - s0)):
            e = expected[e0 + i] if e0 + i < e1 else None
            s = seen[s0 + i] if s0 + i < s1 else None
            yield e, s, differences(e, s) if e and s else []
