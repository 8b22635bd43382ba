"""What the checker scripts share: failures printed as they are found and counted, the count
at the end, commands run with their output shown, and the SDK zip unpacked.

A checker in a folder below this one imports it with
    sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    import checks
"""
import os
import shutil
import subprocess
import sys
import zipfile

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def check(condition, message):
    """Fails with message unless condition holds."""
    if not condition:
        fail(message)


def summary():
    """Prints how many checks failed; returns the checker's exit status: 1 if any did."""
    print(f"{len(failures)} failed")
    return 1 if failures else 0


def run(command, **kwargs):
    """Runs command, printing it and its output; returns the completed process."""
    print("$ " + " ".join(command))
    result = subprocess.run(command, capture_output=True, text=True, **kwargs)
    print(result.stdout + result.stderr, end="")
    return result


def unpack(zip_path, folder):
    """Empties folder and unpacks the zip into it; returns the package's one top folder."""
    shutil.rmtree(folder, ignore_errors=True)
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(folder)
    tops = os.listdir(folder)
    if len(tops) != 1:
        sys.exit(f"the zip should hold one top folder, holds {tops}")
    return os.path.join(folder, tops[0])
