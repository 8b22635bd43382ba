#!/usr/bin/env python3
"""Compares two SDK zips, say ours and one built from the same commit elsewhere: each file in
them, then the zips themselves, byte for byte. Names each file that differs and the first
offset at which it does.

  compare-packages.py A.zip B.zip     exit status 0 when they are the same, 1 when not
"""
import sys
import zipfile


def first_difference(a, b):
    """The offset of the first byte in which a and b differ; None when they are the same."""
    offset = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    return None if offset == len(a) == len(b) else offset


def differences(first, second):
    """One line per difference: files that only one zip holds or that differ, then the zips."""
    with zipfile.ZipFile(first) as one, zipfile.ZipFile(second) as other:
        names = set(one.namelist()) | set(other.namelist())
        for name in sorted(names):
            if name not in other.namelist() or name not in one.namelist():
                yield f"{name}: only in {first if name in one.namelist() else second}"
                continue
            offset = first_difference(one.read(name), other.read(name))
            if offset is not None:
                yield f"{name}: differs from byte {offset} (0x{offset:x}) on"
    with open(first, "rb") as one, open(second, "rb") as other:
        offset = first_difference(one.read(), other.read())
    if offset is not None:
        yield f"the zips differ from byte {offset} (0x{offset:x}) on"


def main(first, second):
    found = list(differences(first, second))
    print("\n".join(found) if found else f"the same: {first} and {second}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
