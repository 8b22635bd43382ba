#!/usr/bin/env python3
"""Static checks of the 32-bit Windows binaries as customers receive them.

- TarvenK3Cmd.dll exports exactly the decorated names of its .def, each function returning
  with `ret N` where N is the @N of its name (callee pops its arguments);
- the stand-in IO.dll pops its stdcall arguments and leaves its cdecl ones to the caller;
- imports: only Windows system DLLs (and, for the library, IO.dll and TarVenCOM.dll); no
  compiler runtime DLLs;
- the sample program is a GUI program with its manifest;
- with --package: no PE of the SDK zip imports a DLL that is not one of Windows' known DLLs,
  comctl32 or the unit's two (a DLL of that name left beside the program would load instead);
  every binary of the SDK zip as shipped stays within its size and imports
  only what its kind may: no thread library, and nothing from KERNEL32 that starts threads,
  installs exception handlers, or reads or suspends other threads; its version resource carries
  its strings and the SDK's version (--version), the sample program its own.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

import pefile

sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checks import fail, summary, unpack  # noqa: E402

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "advapi32.dll",
               "msvcrt.dll", "ntdll.dll", "shell32.dll", "ole32.dll"}

UI_DLLS = {"user32.dll", "gdi32.dll", "comctl32.dll"}

# Windows 10's KnownDLLs (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs), and
# ntdll, which every process has loaded first: Windows takes these from the system folder whatever
# folder a program starts from. Any other DLL a program imports is looked for in its own folder
# first, where anyone could leave one of that name (DLL planting).
KNOWN_DLLS = {"advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "difxapi.dll",
              "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll",
              "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
              "sechost.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
              "wldap32.dll", "wow64.dll", "wow64win.dll", "wow64cpu.dll", "ws2_32.dll", "ntdll.dll"}
# What else a shipped PE may import: comctl32, bound through the program's manifest to the side-by-
# side assembly, and the unit's two DLLs, which belong beside the library.
SHIPPED_MAY_IMPORT = KNOWN_DLLS | {"comctl32.dll", "io.dll", "tarvencom.dll"}

# The library: kernel32 and the C runtime, and the maker's two. Nothing more: a DLL it imports that
# its caller has not loaded yet must be found through the caller's search rules (under Wine's WoW64,
# LOAD_LIBRARY_SEARCH_SYSTEM32 in a 32-bit process does not find advapi32).
LIBRARY_IMPORTS = {"kernel32.dll", "msvcrt.dll", "io.dll", "tarvencom.dll"}

# The binaries that run in customers' processes and on their PCs: path in the zip -> size limit
# in bytes and the DLLs it may import.
SHIPPED = {
    "bin/TarvenK3Cmd.dll": (24 * 1024, LIBRARY_IMPORTS),
    "bin/SamplePanel.exe": (64 * 1024, {"kernel32.dll", "msvcrt.dll"} | UI_DLLS),
    # doctor: advapi32 reads the token's elevation and the registry (version.dll is loaded at run time)
    "bin/k3ctl.exe": (96 * 1024, {"kernel32.dll", "msvcrt.dll", "advapi32.dll"}),
    "bin64/TarvenK3Cmd.dll": (24 * 1024, {"kernel32.dll", "msvcrt.dll"}),
    "bin64/x86/TarvenK3Host.exe": (24 * 1024, {"kernel32.dll", "msvcrt.dll"}),
    "bin64/x86/TarvenK3Cmd.dll": (24 * 1024, LIBRARY_IMPORTS),
}

# Their version resources: FileDescription, ProductName, and the binary's own version (fixed
# numbers, text in the strings) where it does not carry the SDK's. InternalName and
# OriginalFilename name the file.
LIBRARY = ("TARVEN-K3 SDK", "TARVEN", None)
VERSIONS = {
    "bin/TarvenK3Cmd.dll": LIBRARY,
    "bin/SamplePanel.exe": ("TARVEN K3 sample control panel", "SamplePanel", ((1, 0, 0, 0), "1.00")),
    "bin/k3ctl.exe": ("TARVEN K3 command-line tool", "TARVEN", None),
    "bin64/TarvenK3Cmd.dll": LIBRARY,
    "bin64/x86/TarvenK3Host.exe": ("TARVEN K3 host of the 64-bit TarvenK3Cmd.dll", "TARVEN", None),
    "bin64/x86/TarvenK3Cmd.dll": LIBRARY,
}

# Functions a vendor binary must not bring into its caller's process.
FORBIDDEN_IMPORTS = {
    "kernel32.dll": {
        # threads of its own
        "CreateThread", "CreateRemoteThread", "CreateRemoteThreadEx", "QueueUserWorkItem",
        "CreateThreadpoolWork", "CreateThreadpoolTimer", "CreateThreadpoolWait", "CreateTimerQueueTimer",
        "RegisterWaitForSingleObject",
        # process-wide exception handlers
        "AddVectoredExceptionHandler", "AddVectoredContinueHandler", "SetUnhandledExceptionFilter",
        # other threads' state
        "GetThreadContext", "SetThreadContext", "Wow64GetThreadContext", "SuspendThread",
        "ResumeThread", "OpenThread",
    },
    "msvcrt.dll": {"_beginthread", "_beginthreadex"},
}
# A program may set its own process's unhandled-exception filter, as the C runtime's start-up does.
PROGRAM_MAY_IMPORT = {"SetUnhandledExceptionFilter"}

def exports_of(pe):
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_EXPORT"]])
    if not hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        return {}
    return {e.name.decode(): e for e in pe.DIRECTORY_ENTRY_EXPORT.symbols if e.name}


def imports_of(pe):
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    return {d.dll.decode().lower() for d in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}


def function_bodies(objdump, path):
    """Start address -> list of instruction texts, split at objdump's symbol labels."""
    text = subprocess.run([objdump, "-d", "--no-show-raw-insn", path], check=True,
                          capture_output=True, text=True).stdout
    bodies, current = {}, None
    for line in text.splitlines():
        label = re.match(r"^([0-9a-f]+) <.*>:$", line)
        if label:
            current = bodies.setdefault(int(label.group(1), 16), [])
        elif current is not None and re.match(r"^\s*[0-9a-f]+:\s", line):
            current.append(line.split(":", 1)[1].strip())
    return bodies


def returns(body, bodies, depth=0):
    """The ret instructions that end a function, following a final tail jump into another."""
    rets = [i for i in body if re.match(r"^ret[lw]?\b", i)]
    jumps = [i for i in body if re.match(r"^jmp\s+[0-9a-f]+ <", i)]
    if rets or not jumps or depth > 3:
        return rets
    target = int(jumps[-1].split()[1], 16)
    return returns(bodies.get(target, []), bodies, depth + 1)


def check_pops(path, pe, objdump, expected):
    """expected: export name -> bytes the function must pop on return."""
    bodies = function_bodies(objdump, path)
    exports = exports_of(pe)
    for name, pops in expected.items():
        if name not in exports:
            fail(f"{os.path.basename(path)}: {name} is not exported")
            continue
        body = bodies.get(pe.OPTIONAL_HEADER.ImageBase + exports[name].address)
        if body is None:
            fail(f"{os.path.basename(path)}: no code found for {name}")
            continue
        rets = returns(body, bodies)
        want = "ret" if pops == 0 else f"ret    $0x{pops:x}"
        if not rets:
            fail(f"{os.path.basename(path)}: {name} has no ret")
        for ret in rets:
            if re.sub(r"^ret[lw]?", "ret", ret) != want:
                fail(f"{os.path.basename(path)}: {name} returns with '{ret}', expected '{want}'")


def check_imports(path, pe, allowed):
    for dll in sorted(imports_of(pe) - allowed):
        fail(f"{os.path.basename(path)} imports {dll}")


def imported_functions(pe):
    """DLL name (lower case) -> names of the functions imported from it."""
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    return {d.dll.decode().lower(): {i.name.decode() for i in d.imports if i.name}
            for d in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}


def check_planting(top):
    """Every PE in the package imports only what Windows cannot be made to take from elsewhere."""
    for folder, _, names in sorted(os.walk(top)):
        for file in sorted(n for n in names if n.lower().endswith((".dll", ".exe"))):
            path = os.path.join(folder, file)
            name = os.path.relpath(path, top).replace(os.sep, "/")
            imports = imports_of(pefile.PE(path, fast_load=True))
            print(f"{name}: imports {', '.join(sorted(imports))}")
            for dll in sorted(imports - SHIPPED_MAY_IMPORT):
                fail(f"{name} imports {dll}, which is not a known DLL: Windows looks for it beside the program first")


def check_shipped(zip_path, sdk_version):
    with tempfile.TemporaryDirectory() as work:
        top = unpack(zip_path, work)
        check_planting(top)
        for name, (limit, allowed) in SHIPPED.items():
            path = os.path.join(top, name)
            if not os.path.exists(path):
                fail(f"the package has no {name}")
                continue
            size = os.path.getsize(path)
            print(f"{name}: {size} bytes (limit {limit})")
            if size > limit:
                fail(f"{name} is {size} bytes, over its limit of {limit}")
            pe = pefile.PE(path, fast_load=True)
            program = not pe.is_dll()
            imports = imported_functions(pe)
            for dll in sorted(set(imports) - allowed):
                fail(f"{name} imports {dll}")
            for dll, functions in imports.items():
                forbidden = FORBIDDEN_IMPORTS.get(dll, set()) - (PROGRAM_MAY_IMPORT if program else set())
                for function in sorted(functions & forbidden):
                    fail(f"{name} imports {function} from {dll}")
            description, product, own = VERSIONS[name]
            numbers, text = own or (tuple(int(n) for n in sdk_version.split(".")), sdk_version)
            check_version(name, pe, {
                "FileDescription": description, "FileVersion": text, "ProductName": product,
                "ProductVersion": text, "InternalName": os.path.splitext(os.path.basename(name))[0],
                "OriginalFilename": os.path.basename(name)}, numbers)


def check_version(name, pe, strings, fixed):
    """The version resource's strings, and its fixed file and product versions (numbers)."""
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    found = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                found.update({k.decode(): v.decode() for k, v in table.entries.items()})
    for key, value in strings.items():
        if found.get(key) != value:
            fail(f"{name}: version {key} is {found.get(key)!r}, expected {value!r}")
    vs = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    if vs is None:
        fail(f"{name}: no fixed version record")
        return
    for kind, high, low in (("file", vs.FileVersionMS, vs.FileVersionLS),
                            ("product", vs.ProductVersionMS, vs.ProductVersionLS)):
        version = (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)
        if version != fixed:
            fail(f"{name}: fixed {kind} version {version}, expected {fixed}")


def check_manifest(path, pe, declarations):
    """The program's manifest (resource type RT_MANIFEST, id 1) and what it must declare."""
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    text = None
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in resources.entries if resources else []:
        if kind.id != pefile.RESOURCE_TYPE["RT_MANIFEST"]:
            continue
        for name in kind.directory.entries:
            if name.id == 1:
                data = name.directory.entries[0].data.struct
                text = pe.get_data(data.OffsetToData, data.Size).decode("utf-8", "replace")
    if text is None:
        fail(f"{os.path.basename(path)} has no manifest")
        return
    for declaration in declarations:
        if declaration not in text:
            fail(f"{os.path.basename(path)}: the manifest lacks {declaration}")


def def_exports(def_path):
    """Decorated export name -> argument bytes, from lines '_name@N = name@N'."""
    names = {}
    for line in open(def_path):
        m = re.match(r"^\s*(_\w+@(\d+))\s*=", line)
        if m:
            names[m.group(1)] = int(m.group(2))
    return names


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin")
    parser.add_argument("--objdump")
    parser.add_argument("--exports", help="the library's .def")
    parser.add_argument("--package", help="the SDK zip: check its shipped binaries only")
    parser.add_argument("--version", help="with --package: the SDK's version, a.b.c.d")
    args = parser.parse_args()
    if args.package:
        if not args.version:
            parser.error("--package needs --version")
        check_shipped(args.package, args.version)
        return summary()

    library = os.path.join(args.bin, "TarvenK3Cmd.dll")
    pe = pefile.PE(library, fast_load=True)
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        fail("TarvenK3Cmd.dll is not an i386 image")
    expected = def_exports(args.exports)
    exported = set(exports_of(pe))
    if exported != set(expected):
        fail(f"TarvenK3Cmd.dll exports {sorted(exported)}, expected {sorted(expected)}")
    check_pops(library, pe, args.objdump, expected)
    check_imports(library, pe, SYSTEM_DLLS | {"io.dll", "tarvencom.dll"})

    stand_in = os.path.join(args.bin, "IO.dll")
    pe = pefile.PE(stand_in, fast_load=True)
    check_pops(stand_in, pe, args.objdump, {
        "InitializeWinIo": 0, "ShutdownWinIo": 0, "GetPortVal": 12, "SetPortVal": 12,
        "TarVen_Open": 0, "TarVen_Close": 0, "TarVen_GetDevInfo": 0, "TarVen_GetDevStatus": 0,
        "TarVen_SetMonitorTiltUp": 0, "TarVen_SetMonitorTiltDown": 0,
        "TarVen_SetMonitorBrightness": 0})
    check_imports(stand_in, pe, SYSTEM_DLLS)

    # The sample program binds TarvenK3Cmd.dll at run time, so it must not import it.
    panel = os.path.join(args.bin, "SamplePanel.exe")
    pe = pefile.PE(panel, fast_load=True)
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        fail("SamplePanel.exe is not an i386 image")
    if pe.OPTIONAL_HEADER.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        fail("SamplePanel.exe is not a GUI program")
    check_imports(panel, pe, SYSTEM_DLLS)
    check_manifest(panel, pe, ["Microsoft.Windows.Common-Controls", "<dpiAware"])
    return summary()


if __name__ == "__main__":
    sys.exit(main())
