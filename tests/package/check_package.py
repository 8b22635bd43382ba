#!/usr/bin/env python3
"""Checks of the SDK zip as a Windows developer receives it. Each check unpacks it afresh.

  contents  the layout; the top folder's name and the package version file give the SDK's
            version; the .def, the DLL's exports, the API reference and the simulator's
            README all cover the same functions and settings; sigrok-cli loads the tuner
            bus decoder from tools/sigrok
  win32     customer.c built with MinGW against lib/libTarvenK3Cmd.dll.a, and every function
            of the header linked through lib/TarvenK3Cmd.lib the way MSVC's tools do; both
            programs import exactly the decorated names from TarvenK3Cmd.dll; a caller that
            lost __stdcall fails to link. The same for x64 against lib64/, importing the plain
            names; that customer.exe is left in run64/ with bin64/ for the 32-bit run
  cmake     a customer's CMake project (consumer/) built with MinGW against the unpacked zip
            through find_package(TarvenK3); the program imports exactly the decorated names
  win64     customer.c built for x64 and run under wine64 against the win64 build's library
            and the simulator (the x64 import library is made here from the 32-bit .def)
"""
import argparse
import os
import re
import shutil
import sys

import pefile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(HERE))
from checks import fail, run, summary, unpack  # noqa: E402

SKIPPED = 77


def def_exports(path):
    """The exported names of a .def: the first word of each line after EXPORTS."""
    lines = [line.split(";")[0].strip() for line in open(path)]
    start = lines.index("EXPORTS") + 1
    return [line.split()[0] for line in lines[start:] if line]


def function_name(export):
    return re.match(r"^_(\w+)@\d+$", export).group(1)


def pe_exports(path):
    pe = pefile.PE(path)
    return {e.name.decode() for e in pe.DIRECTORY_ENTRY_EXPORT.symbols if e.name}


def check_imports(program, exports):
    """program must import every export of the library by its decorated name, and no other."""
    pe = pefile.PE(program)
    imported = None
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        if entry.dll.decode().lower() == "tarvenk3cmd.dll":
            if entry.dll.decode() != "TarvenK3Cmd.dll":
                fail(f"{program} asks for {entry.dll.decode()}")
            imported = [i.name.decode() if i.name else f"ordinal {i.ordinal}" for i in entry.imports]
    if imported is None:
        fail(f"{os.path.basename(program)} imports nothing from TarvenK3Cmd.dll")
    elif sorted(imported) != sorted(exports):
        fail(f"{os.path.basename(program)} imports {sorted(imported)} from TarvenK3Cmd.dll, "
             f"expected {sorted(exports)}")


def check_contents(args, sdk):
    expected = {"README.txt", "bin/TarvenK3Cmd.dll", "include/TarvenK3Cmd.h", "include/TarvenK3Functions.h",
                "lib/TarvenK3Cmd.def",
                "lib/cmake/TarvenK3/TarvenK3Config.cmake", "lib/cmake/TarvenK3/TarvenK3ConfigVersion.cmake",
                "lib/TarvenK3Cmd.lib", "lib/libTarvenK3Cmd.dll.a", "simulator/IO.dll", "simulator/TarvenK3Sim.exe",
                "simulator/TarVenCOM.dll", "simulator/README.txt", "docs/API.md", "bin/k3ctl.exe", "docs/k3ctl.md",
                "docs/dotnet.md", "samples/dotnet/K3Sample/K3Sample.csproj", "samples/dotnet/K3Sample/Program.cs",
                "bin64/TarvenK3Cmd.dll", "bin64/x86/TarvenK3Host.exe", "bin64/x86/TarvenK3Cmd.dll",
                "lib64/TarvenK3Cmd.lib", "lib64/libTarvenK3Cmd.dll.a", "bin/SamplePanel.exe", "SHA256SUMS",
                "docs/bring-up.md", "tools/k3bus-expect.cmd", "tools/k3bus/__main__.py", "tools/k3bus/capture.py",
                "tools/k3bus/compare.py", *(f"tools/sigrok/tarven_k3/{name}.py" for name in ("__init__", "pd", "bus", "frames"))}
    found = {os.path.relpath(os.path.join(folder, name), sdk).replace(os.sep, "/")
             for folder, _, names in os.walk(sdk) for name in names}
    if found != expected:
        fail(f"the package holds {sorted(found)}, expected {sorted(expected)}")

    name = f"TarvenK3-SDK-{args.version}"
    if os.path.basename(sdk) != name:
        fail(f"the package's top folder is {os.path.basename(sdk)}, expected {name}")
    version_file = "lib/cmake/TarvenK3/TarvenK3ConfigVersion.cmake"
    if version_file in found and f'set(PACKAGE_VERSION "{args.version}")' not in open(
            os.path.join(sdk, version_file)).read():
        fail(f"{version_file} does not give the version {args.version}")

    for binary in sorted(f for f in found & expected if f.endswith((".dll", ".exe"))):
        machine = pefile.PE(os.path.join(sdk, binary), fast_load=True).FILE_HEADER.Machine
        x64 = binary == "bin64/TarvenK3Cmd.dll"
        if machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64" if x64 else "IMAGE_FILE_MACHINE_I386"]:
            fail(f"{binary} is not a {'64-bit x64' if x64 else '32-bit x86'} image")

    library_exports = [line.split("=")[0].strip() for line in open(args.library_def)
                       if re.match(r"^_\w+@\d+\s*=", line)]
    package_def = os.path.join(sdk, "lib/TarvenK3Cmd.def")
    if open(package_def).readline().strip() != "LIBRARY TarvenK3Cmd.dll":
        fail("lib/TarvenK3Cmd.def does not begin with LIBRARY TarvenK3Cmd.dll")
    if def_exports(package_def) != library_exports:
        fail(f"lib/TarvenK3Cmd.def lists {def_exports(package_def)}, the library {library_exports}")
    if pe_exports(os.path.join(sdk, "bin/TarvenK3Cmd.dll")) != set(library_exports):
        fail("bin/TarvenK3Cmd.dll does not export the names of its .def")
    if pe_exports(os.path.join(sdk, "bin64/TarvenK3Cmd.dll")) != set(library_exports) | set(
            function_name(e) for e in library_exports):
        fail("bin64/TarvenK3Cmd.dll does not export the decorated and the plain names")

    reference = open(os.path.join(sdk, "docs/API.md")).read()
    for export in library_exports:
        name = function_name(export)
        if not re.search(rf"^#### .*\b{name}\b", reference, re.M) or f"`{export}`" not in reference:
            fail(f"docs/API.md has no section on {name} naming {export}")

    # The headers are the customers' contract: every name they define is in the reference.
    for header in ("include/TarvenK3Cmd.h", "include/TarvenK3Functions.h"):
        text = open(os.path.join(sdk, header)).read()
        enums = re.findall(r"^enum (\w+) \{(.*?)\};", text, re.M | re.S)
        names = {n for n in set(re.findall(r"^#define (\w+)", text, re.M)) - set(re.findall(r"^#undef (\w+)", text, re.M))
                 if not n.endswith("_H")}
        names |= {e for e, _ in enums} | {m for _, body in enums for m in re.findall(r"^\s*(\w+)", body, re.M)}
        for name in sorted(n for n in names if f"`{n}" not in reference):
            fail(f"docs/API.md does not document {name}, which {header} defines")

    # The command docs/bring-up.md gives for sigrok-cli to find the decoder in the package.
    shown = run(["sigrok-cli", "-P", "tarven_k3", "--show"], env=dict(os.environ, SIGROKDECODE_DIR=os.path.join(sdk, "tools", "sigrok")))
    if shown.returncode != 0 or "ID: tarven_k3" not in shown.stdout:
        fail("sigrok-cli does not load tools/sigrok/tarven_k3 from the package")

    if f"TARVEN K3 SDK {args.version}\n" not in open(os.path.join(sdk, "README.txt")).read():
        fail(f"README.txt does not give the version {args.version}")
    folders = {f.split("/")[0] for f in found if "/" in f}
    described = set(re.findall(r"^  (\w+)/ ", open(os.path.join(sdk, "README.txt")).read(), re.M))
    if folders != described:
        fail(f"README.txt tells of the folders {sorted(described)}, the package holds {sorted(folders)}")

    readme = open(os.path.join(sdk, "simulator/README.txt")).read()
    if "NOT FOR PRODUCTION" not in readme:
        fail("simulator/README.txt does not say the stand-ins are not for production")


def build_customer(cc, sdk, import_library, output, exports=None):
    """customer.c linked with import_library, named as a file: with -l and -static, MinGW's
    linker would take lib/TarvenK3Cmd.lib instead. exports: the names it must import, by
    default those of lib/TarvenK3Cmd.def."""
    exports = exports or def_exports(os.path.join(sdk, "lib/TarvenK3Cmd.def"))
    result = run([cc, "-std=c99", "-Wall", "-Wextra", "-Werror",
                  "-I", os.path.join(sdk, "include"), os.path.join(HERE, "customer.c"),
                  import_library, "-Wl,--disable-stdcall-fixup", "-o", output])
    if result.returncode != 0:
        fail(f"customer.c does not build with {cc}")
        return False
    check_imports(output, exports)
    return True


def link_msvc_references(args, sdk, work, lib, machine, imports):
    """MSVC's way: an object that takes the address of every exported function, as the header
    declares it, linked (with /SAFESEH on x86) and no runtime, which only the import library
    TarvenK3Cmd.lib in lib can serve. Returns the link command line without its inputs."""
    references = os.path.join(work, f"references-{machine}.c")
    with open(references, "w") as out:
        out.write('#include "TarvenK3Cmd.h"\nstatic void* const used[] = {\n')
        out.writelines(f"  (void*)&{function_name(e)},\n" for e in def_exports(os.path.join(sdk, "lib/TarvenK3Cmd.def")))
        out.write("};\nint entry(void) {\n  int n = 0;\n"
                  "  for (unsigned i = 0; i < sizeof used / sizeof used[0]; ++i) n += used[i] != 0;\n"
                  "  return n;\n}\n")
    obj = os.path.join(work, f"references-{machine}.obj")
    msvc_program = os.path.join(work, f"msvc-{machine}.exe")
    msvc_link = [args.lld_link, f"/machine:{machine}", "/entry:entry", "/subsystem:console",
                 "/nodefaultlib", *(["/safeseh"] if machine == "x86" else []),
                 os.path.join(sdk, lib, "TarvenK3Cmd.lib")]
    target = "i686-pc-windows-msvc" if machine == "x86" else "x86_64-pc-windows-msvc"
    if run([args.clang, f"--target={target}", "-Wall", "-Werror",
            "-I", os.path.join(sdk, "include"), "-c", references, "-o", obj]).returncode != 0:
        fail(f"the header's functions do not compile for the MSVC target {target}")
    elif run([*msvc_link, obj, f"/out:{msvc_program}"]).returncode != 0:
        fail(f"{lib}/TarvenK3Cmd.lib does not link the header's functions")
    else:
        check_imports(msvc_program, imports)
    return msvc_link


def check_win32(args, sdk):
    work = args.work
    lib = os.path.join(sdk, "lib")
    exports = def_exports(os.path.join(lib, "TarvenK3Cmd.def"))

    # The program the 32-bit run executes: `wine customer.exe` in this folder.
    ready = os.path.join(work, "run")
    os.makedirs(ready)
    mingw_library = os.path.join(lib, "libTarvenK3Cmd.dll.a")
    if build_customer(args.cc, sdk, mingw_library, os.path.join(ready, "customer.exe")):
        for dll in ("bin/TarvenK3Cmd.dll", "simulator/IO.dll", "simulator/TarVenCOM.dll"):
            shutil.copy(os.path.join(sdk, dll), ready)

    msvc_link = link_msvc_references(args, sdk, work, "lib", "x86", exports)

    # For 64-bit programs: the same against lib64/, run in the 32-bit run through bin64/.
    plain = [function_name(e) for e in exports]
    ready64 = os.path.join(work, "run64")
    shutil.copytree(os.path.join(sdk, "bin64"), ready64)
    if build_customer(args.x64_cc, sdk, os.path.join(sdk, "lib64/libTarvenK3Cmd.dll.a"),
                      os.path.join(ready64, "customer.exe"), plain):
        for dll in ("simulator/IO.dll", "simulator/TarVenCOM.dll"):
            shutil.copy(os.path.join(sdk, dll), os.path.join(ready64, "x86"))
    link_msvc_references(args, sdk, work, "lib64", "x64", plain)

    # A caller whose declaration lost __stdcall asks for _tcx_OpenTARVEN; nothing may serve it.
    cdecl = os.path.join(work, "cdecl.c")
    with open(cdecl, "w") as out:
        out.write("int tcx_OpenTARVEN(void);\nint entry(void) { return tcx_OpenTARVEN(); }\n")
    mingw_obj, msvc_obj = os.path.join(work, "cdecl.o"), os.path.join(work, "cdecl.obj")
    for tool, compile_, link in (
            ("lib/libTarvenK3Cmd.dll.a", [args.cc, "-c", cdecl, "-o", mingw_obj],
             [args.cc, "-nostdlib", "-Wl,--disable-stdcall-fixup", mingw_obj, mingw_library,
              "-o", os.path.join(work, "cdecl.exe")]),
            ("lib/TarvenK3Cmd.lib", [args.clang, "--target=i686-pc-windows-msvc", "-c", cdecl, "-o", msvc_obj],
             [*msvc_link, msvc_obj, f"/out:{os.path.join(work, 'cdecl-msvc.exe')}"])):
        if run(compile_).returncode != 0:
            fail(f"cdecl.c does not compile for {tool}")
            continue
        linked = run(link)
        if linked.returncode == 0 or "tcx_OpenTARVEN" not in linked.stderr:
            fail(f"a cdecl call of tcx_OpenTARVEN is not refused by {tool}")


def build_consumer(args, sdk, cc, build):
    """The customer's CMake project built with cc; returns its program, or None."""
    configured = run([args.cmake, "-S", os.path.join(HERE, "consumer"), "-B", build,
                      "-DCMAKE_SYSTEM_NAME=Windows", f"-DCMAKE_C_COMPILER={cc}",
                      f"-DCMAKE_PREFIX_PATH={sdk}", "-DCMAKE_BUILD_TYPE=Release"])
    if configured.returncode != 0 or run([args.cmake, "--build", build]).returncode != 0:
        fail(f"the customer's CMake project does not build against the package with {cc}")
        return None
    return os.path.join(build, "customer.exe")


def check_cmake(args, sdk):
    """Leaves WORK/run/customer.exe with the package's 32-bit DLLs beside it. The same project
    for x64 must get lib64/ and bin64/, whose DLL exports the plain names."""
    exports = def_exports(os.path.join(sdk, "lib/TarvenK3Cmd.def"))
    program = build_consumer(args, sdk, args.cc, os.path.join(args.work, "build"))
    if program is None:
        return 1
    check_imports(program, exports)
    ready = os.path.join(args.work, "run")
    os.makedirs(ready)
    for path in (program, "bin/TarvenK3Cmd.dll", "simulator/IO.dll", "simulator/TarVenCOM.dll"):
        shutil.copy(os.path.join(sdk, path), ready)
    program64 = build_consumer(args, sdk, args.x64_cc, os.path.join(args.work, "build64"))
    if program64 is None:
        return 1
    check_imports(program64, [function_name(e) for e in exports])
    return 0


def check_win64(args, sdk):
    dlls = [os.path.join(args.win64_dlls, name) for name in ("TarvenK3Cmd.dll", "IO.dll", "TarVenCOM.dll")]
    missing = [d for d in dlls if not os.path.exists(d)]
    if missing:
        print(f"skipped: the win64 build is not there ({', '.join(missing)})")
        return SKIPPED

    # x64 has no stdcall decoration: the symbol tcx_X asks the DLL for _tcx_X@N.
    work = args.work
    exports = def_exports(os.path.join(sdk, "lib/TarvenK3Cmd.def"))
    x64_def = os.path.join(work, "TarvenK3Cmd-x64.def")
    with open(x64_def, "w") as out:
        out.write("LIBRARY TarvenK3Cmd.dll\nEXPORTS\n")
        out.writelines(f"{function_name(e)} == {e}\n" for e in exports)
    x64_library = os.path.join(work, "libTarvenK3Cmd.dll.a")
    if run([args.dlltool, "-d", x64_def, "-l", x64_library],
           env=dict(os.environ, TMPDIR=work)).returncode != 0:
        fail("no x64 import library")
        return 1

    ready = os.path.join(work, "run")
    os.makedirs(ready)
    if not build_customer(args.cc, sdk, x64_library, os.path.join(ready, "customer.exe")):
        return 1
    for dll in dlls:
        shutil.copy(dll, ready)

    plain = {k: v for k, v in os.environ.items() if not k.startswith("TARVEN_SIM_")}
    try:
        defaults = run([args.wine, args.wine_dir, "customer.exe"], cwd=ready, env=plain)
        if defaults.returncode != 0:
            fail(f"the customer program found {defaults.returncode} mismatches with the simulator")
        # The program's checks must be able to fail: without a unit they do.
        absent = run([args.wine, args.wine_dir, "customer.exe"], cwd=ready,
                     env=dict(plain, TARVEN_SIM_UNIT="absent"))
        if absent.returncode == 0 or "FAIL tcx_OpenTARVEN: 2" not in absent.stdout:
            fail("the customer program did not notice a missing unit")
    finally:
        run([args.wine, args.wine_dir, "--stop"])
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=["contents", "win32", "cmake", "win64"])
    parser.add_argument("--zip", required=True, help="the SDK zip")
    parser.add_argument("--work", required=True, help="a folder of this check's own")
    parser.add_argument("--library-def", help="contents: the library's own .def")
    parser.add_argument("--version", help="contents: the SDK's version")
    parser.add_argument("--cc", help="win32, cmake, win64: MinGW C compiler")
    parser.add_argument("--cmake", help="cmake: the cmake program")
    parser.add_argument("--x64-cc", help="win32, cmake: MinGW C compiler for x64")
    parser.add_argument("--clang", help="win32: clang")
    parser.add_argument("--lld-link", help="win32: lld-link")
    parser.add_argument("--dlltool", help="win64: x86_64 GNU dlltool")
    parser.add_argument("--win64-dlls", help="win64: the folder of the win64 build's library and stand-ins")
    parser.add_argument("--wine", help="win64: tests/wine/wine64.sh")
    parser.add_argument("--wine-dir", help="win64: folder for the Wine prefix")
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    sdk = unpack(args.zip, os.path.join(args.work, "unpacked"))
    status = {"contents": check_contents, "win32": check_win32, "cmake": check_cmake,
              "win64": check_win64}[args.check](args, sdk)
    if status == SKIPPED:
        return SKIPPED
    failed = summary()
    return 1 if failed or status else 0


if __name__ == "__main__":
    sys.exit(main())
