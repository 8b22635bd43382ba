#!/usr/bin/env python3
"""Checks of the SDK zip as a release.

  checksums     `sha256sum -c SHA256SUMS` passes beside the zip (listing it) and in its top
                folder (listing every other file)
  signed        made again with a throw-away certificate: bin/, bin64/, bin64/x86/ PE files
                signed and verifying against its CA, not with one byte changed, nothing else
                changed; the same zip signed at another time; a removed signature gives back
                the unsigned file but for its PE checksum and end padding; the signed 64-bit
                DLL serves `k3ctl info` under wine64 (the win64 build's 64-bit host in x86/);
                leaves run32/ with the customer program beside the signed 32-bit library, which the
                32-bit run executes
  reproducible  both Windows builds made again elsewhere, with another clock and umask: the
                same zip, and no path of either build in any file
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(HERE))
from checks import check, fail, run, summary, unpack  # noqa: E402

COMBINE = os.path.join(SOURCE, "cmake", "CombineBuilds.cmake")
COMPARE = os.path.join(SOURCE, "tools", "compare-packages.py")
LATER = ["faketime", "-f", "+400d"]  # another clock
PASSWORD = "throw-away"
SIGNED = re.compile(r"^[^/]+/bin(64(/x86)?)?/[^/]+\.(dll|exe)$")


def package(args, win32, win64, destination, clock=(), env=None):
    """The zip that cmake/CombineBuilds.cmake makes of the two builds in destination."""
    made = run([*clock, args.cmake, f"-DWIN32_BUILD={win32}", f"-DWIN64_BUILD={win64}", "-DPART=sdk",
                f"-DDESTINATION={destination}", "-P", COMBINE], env=env)
    check(made.returncode == 0, f"no package made in {destination}")
    return os.path.join(destination, os.path.basename(args.zip))


def same_zips(first, second, what):
    check(run([sys.executable, COMPARE, first, second]).returncode == 0, f"{what}: another zip")


def check_checksums(args):
    sdk = unpack(args.zip, os.path.join(args.work, "unpacked"))
    files = sorted(os.path.relpath(os.path.join(f, n), sdk) for f, _, names in os.walk(sdk) for n in names)
    for folder, covered in ((os.path.dirname(args.zip), [os.path.basename(args.zip)]),
                            (sdk, [f for f in files if f != "SHA256SUMS"])):
        listed = [line.split("  ", 1)[1] for line in open(os.path.join(folder, "SHA256SUMS"))]
        check([name.rstrip("\n") for name in listed] == covered, f"{folder}/SHA256SUMS lists {listed}")
        check(run(["sha256sum", "--strict", "-c", "SHA256SUMS"], cwd=folder).returncode == 0,
              f"sha256sum -c fails in {folder}")


def make_certificate(work):
    """A throw-away CA (its PEM file) and a code-signing certificate it issued (PKCS#12), valid
    from 2000 on, before any package's time."""
    ca_key, ca, key, certificate, pfx = (os.path.join(work, name) for name in (
        "ca.key", "ca.pem", "signer.key", "signer.pem", "signer.pfx"))
    new = ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "20000"]
    for command in (
            [*new, "-subj", "/CN=Throw-away CA", "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=keyCertSign", "-keyout", ca_key, "-out", ca],
            [*new, "-subj", "/CN=Throw-away signer", "-CA", ca, "-CAkey", ca_key,
             "-addext", "basicConstraints=CA:FALSE",
             "-addext", "keyUsage=digitalSignature", "-addext", "extendedKeyUsage=codeSigning",
             "-keyout", key, "-out", certificate],
            ["pkcs12", "-export", "-inkey", key, "-in", certificate, "-certfile", ca, "-out", pfx,
             "-passout", f"pass:{PASSWORD}"]):
        if run(["faketime", "2000-01-01 00:00:00", "openssl", *command]).returncode != 0:
            sys.exit("no throw-away certificate")
    return ca, pfx


def verifies(ca, path):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path],
                          capture_output=True).returncode == 0


def check_removed_signature(name, signed, unsigned):
    """What removing the signature cannot give back: the PE checksum (4 bytes), which stays the
    signed file's, and the padding before the certificate table (fewer than 8 zero bytes)."""
    removed = signed + ".removed"
    run(["osslsigncode", "remove-signature", "-in", signed, "-out", removed])
    data, original = open(removed, "rb").read(), open(unsigned, "rb").read()
    checksum = int.from_bytes(original[0x3C:0x40], "little") + 24 + 64
    differing = [i for i, (a, b) in enumerate(zip(data, original)) if a != b]
    padding = data[len(original):]
    print(f"{name}: removing the signature leaves the bytes {differing} and {len(padding)} bytes of padding")
    check(set(differing) <= set(range(checksum, checksum + 4)) and len(padding) < 8 and not any(padding),
          f"{name}: without its signature it is not the unsigned file")


def check_signed(args):
    ca, pfx = make_certificate(args.work)
    env = dict(os.environ, TARVEN_SIGN_PFX=pfx, TARVEN_SIGN_PASSWORD=PASSWORD, TARVEN_SIGN_TIMESTAMP_URL="")
    signed = package(args, args.win32_build, args.win64_build, os.path.join(args.work, "sdk"), env=env)
    same_zips(signed, package(args, args.win32_build, args.win64_build, os.path.join(args.work, "later"),
                              LATER, env), "signed again later")
    ours, unsigned = (unpack(z, os.path.join(args.work, folder))
                      for z, folder in ((signed, "signed"), (args.zip, "unsigned")))
    with zipfile.ZipFile(signed) as archive:
        names = [n for n in archive.namelist() if not n.endswith("/") and not n.endswith("SHA256SUMS")]
    for name in names:
        path, original = (os.path.join(os.path.dirname(top), name) for top in (ours, unsigned))
        if not SIGNED.match(name):
            check(open(path, "rb").read() == open(original, "rb").read(), f"{name} changed by signing")
            continue
        check(verifies(ca, path), f"{name} does not verify against the CA")
        tampered = path + ".tampered"
        data = bytearray(open(path, "rb").read())
        data[len(data) // 2] ^= 1
        open(tampered, "wb").write(data)
        check(not verifies(ca, tampered), f"{name} with one byte changed verifies")
        check_removed_signature(name, path, original)

    # k3ctl finds the library in its folder, the 64-bit DLL its host in x86/.
    ready = os.path.join(args.work, "k3ctl")
    shutil.copytree(os.path.join(args.win64_build, "bin", "bin64"), ready)
    for program in (os.path.join(ours, "bin64", "TarvenK3Cmd.dll"),
                    os.path.join(args.win64_build, "bin", "k3ctl.exe")):
        shutil.copy(program, ready)
    try:
        info = run([args.wine, args.work, "k3ctl.exe", "info"], cwd=ready,
                   env={k: v for k, v in os.environ.items() if not k.startswith("TARVEN_SIM_")})
        check(info.returncode == 0 and "monitor unit: found" in info.stdout,
              "the signed DLL does not serve k3ctl info")
    finally:
        run([args.wine, args.work, "--stop"])

    # The customer program of the 32-bit run, with the signed library in place of the unsigned one.
    run32 = os.path.join(args.work, "run32")
    shutil.copytree(args.customer, run32)
    shutil.copy(os.path.join(ours, "bin", "TarvenK3Cmd.dll"), run32)


def check_reproducible(args):
    started = time.monotonic()
    os.umask(0o077)
    elsewhere = {preset: os.path.join(args.work, "elsewhere", preset) for preset in ("win64", "win32")}
    for preset, folder in elsewhere.items():
        for step in (["--preset", preset, "-B", folder], ["--build", folder, "--target", "sdk_files", "-j2"]):
            if run([*LATER, args.cmake, *step], cwd=SOURCE).returncode != 0:
                sys.exit(f"the second {preset} build failed")
    again = package(args, elsewhere["win32"], elsewhere["win64"], os.path.join(args.work, "sdk"), LATER)
    print(f"the second build and its package took {time.monotonic() - started:.0f} s")
    same_zips(args.zip, again, "built again elsewhere")

    paths = [SOURCE, args.win32_build, args.win64_build, args.work]
    forms = [p.encode() for p in paths] + [re.sub("[^A-Za-z0-9]", "_", p).encode() for p in paths] + [
        p.encode("utf-16-le") for p in paths]
    for zip_path in (args.zip, again):
        with zipfile.ZipFile(zip_path) as archive:
            for name in archive.namelist():
                data = archive.read(name)
                for form in forms:
                    check(form not in data, f"{name} holds the build path {form!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=["checksums", "signed", "reproducible"])
    parser.add_argument("--zip", required=True, help="the SDK zip")
    parser.add_argument("--work", required=True, help="a folder of this check's own")
    parser.add_argument("--cmake", help="signed, reproducible: the cmake program")
    parser.add_argument("--win32-build", help="signed, reproducible: the builds the zip was made of")
    parser.add_argument("--win64-build")
    parser.add_argument("--wine", help="signed: tests/wine/wine64.sh")
    parser.add_argument("--customer", help="signed: the 32-bit customer program's folder, with its DLLs")
    args = parser.parse_args()
    args.work = os.path.abspath(args.work)
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    {"checksums": check_checksums, "signed": check_signed, "reproducible": check_reproducible}[args.check](args)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
