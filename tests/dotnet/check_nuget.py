#!/usr/bin/env python3
"""Checks of the NuGet packages that make package writes beside the SDK zip:
- their native files are the zip's, byte for byte, where each architecture's loader finds them;
- TarvenK3 carries the XML docs of both its builds, documenting every public type of its API
  baseline, and the simulator package says it is not for production;
- SHA256SUMS beside the zip lists the zip and both packages;
- docs/dotnet.md's example is the zip's C# sample, and the sample asks for this version;
- packed again from the same files under another clock, both packages have the same bytes.
"""
import argparse
import hashlib
import os
import re
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(HERE))
from checks import check, fail, run, summary, unpack  # noqa: E402

# Where each package holds a file of the zip: package path -> zip path.
NATIVE = {
    "TarvenK3": {
        "runtimes/win-x86/native/TarvenK3Cmd.dll": "bin/TarvenK3Cmd.dll",
        "runtimes/win-x64/native/TarvenK3Cmd.dll": "bin64/TarvenK3Cmd.dll",
        "runtimes/win-x64/native/x86/TarvenK3Host.exe": "bin64/x86/TarvenK3Host.exe",
        "runtimes/win-x64/native/x86/TarvenK3Cmd.dll": "bin64/x86/TarvenK3Cmd.dll",
    },
    "TarvenK3.Simulator": {
        "runtimes/win-x86/native/IO.dll": "simulator/IO.dll",
        "runtimes/win-x86/native/TarVenCOM.dll": "simulator/TarVenCOM.dll",
        "runtimes/win-x64/native/x86/IO.dll": "simulator/IO.dll",
        "runtimes/win-x64/native/x86/TarVenCOM.dll": "simulator/TarVenCOM.dll",
    },
}


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def check_package(path, name, sdk):
    with zipfile.ZipFile(path) as package:
        names = set(package.namelist())
        for inside, shipped in NATIVE[name].items():
            if inside not in names:
                fail(f"{name} lacks {inside}")
            elif package.read(inside) != open(os.path.join(sdk, shipped), "rb").read():
                fail(f"{name}'s {inside} is not the zip's {shipped}")
        nuspec = package.read(f"{name}.nuspec").decode()
        if name == "TarvenK3.Simulator":
            check("NOT FOR PRODUCTION" in nuspec, "the simulator package's description does not say NOT FOR PRODUCTION")
            return
        api = open(os.path.join(SOURCE, "dotnet/TarvenK3/PublicAPI.Unshipped.txt")).read()
        types = re.findall(r"^(TarvenK3\.\w+)$", api, re.M)
        check(types, "the API baseline lists no type")
        for framework in ("netstandard2.0", "net8.0"):
            check(f"lib/{framework}/TarvenK3.dll" in names, f"TarvenK3 lacks lib/{framework}/TarvenK3.dll")
            docs = f"lib/{framework}/TarvenK3.xml"
            text = package.read(docs).decode() if docs in names else ""
            for missing in (t for t in types if f'<member name="T:{t}">' not in text):
                fail(f"{docs} does not document {missing}")


def check_sample(sdk, version):
    sample = open(os.path.join(sdk, "samples/dotnet/K3Sample/Program.cs")).read()
    guide = open(os.path.join(sdk, "docs/dotnet.md")).read()
    example = re.search(r"^## A complete example\n.*?^```csharp\n(.*?)^```$", guide, re.M | re.S)
    check(example and example.group(1) == sample, "docs/dotnet.md's example is not samples/dotnet/K3Sample/Program.cs")
    project = open(os.path.join(sdk, "samples/dotnet/K3Sample/K3Sample.csproj")).read()
    asked = set(re.findall(r'Version="([^"]+)"', project))
    check(asked == {version}, f"the sample asks for the packages' versions {sorted(asked)}, the SDK is {version}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sdk", required=True, help="where make package wrote the zip and the packages")
    parser.add_argument("--work", required=True, help="a scratch folder")
    args = parser.parse_args()
    (zip_path,) = [os.path.join(args.sdk, f) for f in os.listdir(args.sdk) if re.match(r"TarvenK3-SDK-.*\.zip$", f)]
    version = re.search(r"TarvenK3-SDK-(.*)\.zip$", zip_path).group(1)
    sdk = unpack(zip_path, os.path.join(args.work, "zip"))
    packages = {name: os.path.join(args.sdk, f"{name}.{version}.nupkg") for name in NATIVE}
    for name, path in packages.items():
        if os.path.exists(path):
            check_package(path, name, sdk)
        else:
            fail(f"make package wrote no {os.path.basename(path)}")
    check_sample(sdk, version)

    listed = open(os.path.join(args.sdk, "SHA256SUMS")).read()
    for path in [zip_path, *packages.values()]:
        check(f"{sha256(path)}  {os.path.basename(path)}\n" in listed if os.path.exists(path) else False,
              f"SHA256SUMS beside the zip does not list {os.path.basename(path)} with its hash")

    again = os.path.join(args.work, "again")
    os.makedirs(again, exist_ok=True)
    made = run(["faketime", "-f", "+400d", os.path.join(SOURCE, "tools/pack-nuget.sh"), args.sdk, again])
    check(made.returncode == 0, "tools/pack-nuget.sh failed the second time")
    for name, path in packages.items():
        second = os.path.join(again, os.path.basename(path))
        check(os.path.exists(second) and os.path.exists(path) and sha256(second) == sha256(path),
              f"{name} packed again under another clock has other bytes")
    return summary()


if __name__ == "__main__":
    sys.exit(main())
