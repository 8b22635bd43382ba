#!/usr/bin/env python3
"""Zips a folder so that the same files give the same zip, whoever makes it, wherever, whenever:
entries sorted by name, each folder before what it holds, every entry's time the one given,
fixed permissions (folders 755, files 644), no owner, no extra fields. The folder is the zip's
one top folder, without an entry of its own.

  ZipFolder.py FOLDER ZIP UNIX_TIME
"""
import os
import sys
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01: a zip holds no earlier time
UNIX = 3  # the system that made the entries, so that their permissions are read


def entries(folder):
    """Names in the zip: 'TOP/sub/' for folders, 'TOP/sub/file' for files, sorted."""
    parent = os.path.dirname(folder)
    names = []
    for path, folders, files in os.walk(folder):
        names += [os.path.relpath(os.path.join(path, f), parent) + "/" for f in folders]
        names += [os.path.relpath(os.path.join(path, f), parent) for f in files]
    return sorted(name.replace(os.sep, "/") for name in names)


def main(folder, zip_path, unix_time):
    folder = os.path.abspath(folder)
    when = time.gmtime(max(int(unix_time), ZIP_EPOCH))[:6]
    with zipfile.ZipFile(zip_path, "w") as archive:
        for name in entries(folder):
            entry = zipfile.ZipInfo(name, when)
            entry.create_system = UNIX
            if name.endswith("/"):
                entry.external_attr = 0o40755 << 16 | 0x10  # and the MS-DOS folder bit
                archive.writestr(entry, b"")
            else:
                entry.external_attr = 0o100644 << 16
                with open(os.path.join(os.path.dirname(folder), name), "rb") as data:
                    archive.writestr(entry, data.read(), zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main(*sys.argv[1:])
