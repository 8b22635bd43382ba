#!/usr/bin/env python3
"""k3ctl.exe driven as a user drives it, against the simulated PC (TARVEN_SIM_* variables).

  check_k3ctl.py BIN_DIR WINE...   BIN_DIR holds k3ctl.exe beside the library and the stand-in
                                   DLLs; WINE... runs a Windows program (wine64.sh BUILD_DIR,
                                   or wine)

Each case runs k3ctl once and checks its exit code, stdout (text, or parsed as JSON) and
stderr. Detection sleeps 140-300 ms a step, so every scan is short but one, the full default
FM scan. Exits with the number of failed cases.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import checks  # noqa: E402

BIN = os.path.abspath(sys.argv[1])
WINE = sys.argv[2:]
EXE = os.path.join(BIN, "k3ctl.exe")

# Stations for the scans: 93.50 and 93.60 one default step apart, and the default band's edges.
EDGES = "FM:8750:stereo,FM:9350:stereo,FM:9360,FM:10800"

# (name, environment, arguments, exit code, stdout: text or JSON (see matches), part of stderr or report)
CASES = [
    ("info", {}, ["info"], 0,
     "port I/O: available\nmonitor unit: found\nfirmware: 1.4.2\nbrightness: day 9, night 3\n", ""),
    ("info without the unit or port I/O", {"TARVEN_SIM_UNIT": "absent", "TARVEN_SIM_PORT_ACCESS": "denied"},
     ["info"], 3, "port I/O: unavailable\nmonitor unit: not found\n", ""),
    ("info --json", {"TARVEN_SIM_FIRMWARE": "2.0.15", "TARVEN_SIM_BRIGHTNESS": "4,12"}, ["--json", "info"], 0,
     {"port_io": True, "monitor_unit": True, "firmware": "2.0.15", "brightness": {"day": 4, "night": 12}}, ""),
    ("status", {"TARVEN_SIM_STATUS": "0x1000,0x02"}, ["status"], 0, "status: 1 1 0\n", ""),
    ("status --json", {"TARVEN_SIM_STATUS": "0x0100,0x00"}, ["status", "--json"], 0, {"status": [0, 0, 1]}, ""),
    ("status the unit does not report", {"TARVEN_SIM_DEVSTATUS": "fails"}, ["status"], 3, "", "status"),
    ("tilt up 2", {"TARVEN_SIM_TILT": "5"}, ["tilt", "up", "2"], 0, "tilted up 2 steps\n", "monitor.tilt=7"),
    ("tilt down", {"TARVEN_SIM_TILT": "5"}, ["--json", "tilt", "down"], 0, {"tilted": "down", "steps": 1},
     "monitor.tilt=4"),
    ("tilt without the unit", {"TARVEN_SIM_UNIT": "absent"}, ["tilt", "up"], 3, "", "not found"),
    ("brightness", {}, ["brightness"], 0, "day 9, night 3\n", ""),
    ("brightness set", {}, ["brightness", "2", "7"], 0, "day 2, night 7\n", "monitor.night=7"),
    ("brightness without the unit", {"TARVEN_SIM_UNIT": "absent"}, ["brightness"], 3, "", "not found"),
    ("detect stereo", {}, ["radio", "detect", "93.5M"], 0, "FM 93.50 MHz: station, stereo\n", ""),
    ("detect mono", {}, ["radio", "detect", "fm", "9890"], 0, "FM 98.90 MHz: station, mono\n", ""),
    ("detect none", {}, ["radio", "detect", "93.60MHz"], 1, "FM 93.60 MHz: no station\n", ""),
    ("detect AM --json", {}, ["radio", "detect", "--json", "810kHz"], 0,
     {"band": "AM", "khz": 810, "station": True}, ""),
    ("detect without port I/O", {"TARVEN_SIM_PORT_ACCESS": "denied"}, ["radio", "detect", "810k"], 4, "", "port I/O"),
    ("no command", {}, [], 2, "", "no command"),
    ("unknown command", {}, ["reboot"], 2, "", "unknown command 'reboot'"),
    ("off the FM grid", {}, ["radio", "detect", "93.505M"], 2, "", "76.00 MHz to 108.00 MHz in steps of 10 kHz"),
    ("in neither band", {}, ["radio", "detect", "50M"], 2, "", "in neither band"),
    ("no unit", {}, ["radio", "detect", "93.5"], 2, "", "bad frequency"),
    ("AM out of range", {}, ["radio", "detect", "am", "1711"], 2, "", "520 kHz to 1710 kHz"),
    ("tilt too far", {}, ["tilt", "up", "4"], 2, "", "1, 2 or 3"),
    ("brightness too high", {}, ["brightness", "16", "3"], 2, "", "0-15"),
    ("step off the grid", {}, ["radio", "scan", "fm", "--step", "15"], 2, "", "step 15"),
    ("from above to", {}, ["radio", "scan", "fm", "--from", "95M", "--to", "94M"], 2, "", "above"),
    ("AM frequency on FM", {}, ["radio", "scan", "fm", "--from", "810k"], 2, "", "not a valid FM"),
    ("--for elsewhere", {}, ["info", "--for", "3"], 2, "", "--for is for radio play only"),
    ("full default FM scan", {"TARVEN_SIM_STATIONS": EDGES}, ["radio", "scan", "fm", "--json"], 0,
     {"band": "FM", "from_khz": 87500, "to_khz": 108000, "step_khz": 100, "steps": 206, "complete": True,
      "stations": [{"khz": 87500, "stereo": True}, {"khz": 93500, "stereo": True},
                   {"khz": 93600, "stereo": False}, {"khz": 108000, "stereo": False}]}, "4 stations in 206 steps"),
    ("fine steps merge a run", {}, ["radio", "scan", "fm", "--from", "93.4M", "--to", "93.6M", "--step", "10",
                                    "--progress"], 0,
     "FM  93.50 MHz  stereo\n", "[21/21] 93.60 MHz  found 1  ETA 0:00"),
    ("fine steps past the band's top", {"TARVEN_SIM_STATIONS": "FM:10800:stereo"},
     ["radio", "scan", "fm", "--from", "107.98M", "--to", "108M", "--step", "10k"], 0,
     "FM 108.00 MHz  stereo\n", "1 station in 3 steps"),
    ("fine steps below the range", {"TARVEN_SIM_STATIONS": "AM:520"},
     ["radio", "scan", "am", "--from", "520", "--to", "524", "--step", "1", "-q"], 0, "AM  520 kHz\n", ""),
    ("AM stations one step apart", {"TARVEN_SIM_STATIONS": "AM:810,AM:819"},
     ["radio", "scan", "am", "--from", "801", "--to", "828"], 0, "AM  810 kHz\nAM  819 kHz\n", "2 stations"),
    ("scan finds nothing", {}, ["radio", "scan", "fm", "--from", "90M", "--to", "90.2M"], 1, "", "0 stations"),
]

# doctor: (name, environment, Memory Integrity marked on in the registry, the only files beside k3ctl
# (None: all of BIN), arguments, exit code, parts of stdout)
MEMORY_INTEGRITY = (r"HKLM\SYSTEM\CurrentControlSet\Control\DeviceGuard\Scenarios"
                    r"\HypervisorEnforcedCodeIntegrity")
DOCTOR_CASES = [
    # run while the test's own k3ctl session (below) has the unit open
    ("doctor: another program has the unit open", {}, False, None, ["doctor"], 0,
     ["warn  other programs: another program has the unit open", "info  port I/O: not tried: "]),
    ("doctor: port access denied", {"TARVEN_SIM_PORT_ACCESS": "denied"}, False, None, ["doctor"], 4,
     ["ok    TarvenK3Cmd.dll: ", "ok    other programs: none has the unit open\n",
      "FAIL  port I/O: unavailable\n      hint: ", "ok    monitor unit: found\n"]),
    ("doctor: the unit absent", {"TARVEN_SIM_UNIT": "absent"}, False, None, ["doctor"], 3,
     ["ok    port I/O: available\n", "FAIL  monitor unit: not found\n      hint: "]),
    ("doctor: Memory Integrity on", {"TARVEN_SIM_PORT_ACCESS": "denied"}, True, None, ["doctor"], 4,
     ["warn  Memory Integrity: on\n", "hint: likely cause: Memory Integrity keeps"]),
    ("doctor --json: IO.dll missing", {}, False, ["k3ctl.exe", "TarvenK3Cmd.dll", "TarVenCOM.dll"], ["doctor", "--json"],
     5, ['{"check":"IO.dll","verdict":"fail","detail":"not in k3ctl\'s folder',
         '{"check":"monitor unit","verdict":"info","detail":"not tried: TarvenK3Cmd.dll cannot be loaded"}']),
]

SESSION = "info\n# a comment\n\ntilt up\nradio play 98.9M\ntilt sideways\nbrightness 3 4\nradio detect 93.6M\n"
SESSION_OUT = ("port I/O: available\nmonitor unit: found\nfirmware: 1.4.2\nbrightness: day 9, night 3\n"
               "tilted up 1 step\nFM 98.90 MHz: station, mono\nday 3, night 4\nFM 93.60 MHz: no station\n")


def environment(extra, with_report):
    env = {k: v for k, v in os.environ.items() if not k.startswith("TARVEN_SIM_")}
    if with_report:  # the stand-ins rewrite it after every port access: far slower scans
        env["TARVEN_SIM_REPORT"] = "report.txt"  # in the working folder
    env.update(extra)
    return env


def start(args, extra, work, exe=EXE, stdin=subprocess.DEVNULL):
    if os.path.exists(os.path.join(work, "report.txt")):
        os.remove(os.path.join(work, "report.txt"))
    return subprocess.Popen(WINE + [exe] + args, cwd=work, env=environment(extra, "scan" not in args), stdin=stdin,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def text(data):
    return data.decode("utf-8", "replace").replace("\r\n", "\n")


def report(work):
    path = os.path.join(work, "report.txt")
    return open(path).read() if os.path.exists(path) else ""


def check(name, ok, detail):
    print(("ok    " if ok else "FAIL  ") + name + ("" if ok else "\n      " + detail.replace("\n", "\n      ")))
    if not ok:
        checks.failures.append(name)


def matches(expected, out):
    """Text compares whole. A dict is compared with the JSON document, the keys it names only;
    a list of dicts with one document per line."""
    if isinstance(expected, str):
        return out == expected
    expected = expected if isinstance(expected, list) else [expected]
    lines = out.splitlines()
    try:
        documents = [json.loads(line) for line in lines]
    except ValueError:
        return False
    return len(documents) == len(expected) and all(
        document.get(key) == value for document, part in zip(documents, expected) for key, value in part.items())


def run_case(name, extra, args, code, out, err, work, stdin=None):
    t0 = time.time()
    process = start(args, extra, work, stdin=subprocess.PIPE)
    stdout, stderr = process.communicate(stdin.encode() if stdin else b"", timeout=240)
    stdout, stderr = text(stdout), text(stderr)
    # Progress is rewritten in place with carriage returns; a summary or message follows it.
    seen = stderr + report(work)
    ok = process.returncode == code and matches(out, stdout) and err in seen
    check(f"{name} ({time.time() - t0:.1f} s)", ok,
          f"k3ctl {' '.join(args)}\nexit {process.returncode}, expected {code}\nstdout: {stdout!r}\n"
          f"expected: {out!r}\nstderr and report: {seen!r}\nexpected in it: {err!r}")


def play_holds_the_radio_on(work):
    """radio play keeps the radio on, tuned, for its time; exiting switches it off."""
    t0 = time.time()
    process = start(["radio", "play", "93.5M", "--for", "2"], {}, work)
    # The radio is opened before it is tuned: wait for both, while the program still runs.
    during = ""
    while process.poll() is None and not ("parallel.radioOff=0" in during and "tuner.0x28=BE 28" in during):
        time.sleep(0.1)
        during = report(work)
    stdout, _ = process.communicate(timeout=60)
    seconds = time.time() - t0
    ok = (process.returncode == 0 and text(stdout) == "FM 93.50 MHz: station, stereo\n" and seconds >= 2
          and "tuner.0x28=BE 28" in during and "parallel.radioOff=1" in report(work))
    check(f"play holds the radio on ({seconds:.1f} s)", ok, f"exit {process.returncode}, {stdout!r}\n"
          f"during: {during!r}\nafter: {report(work)!r}")


def ctrl_c_stops_a_scan(work):
    """Ctrl-C: the stations found so far, marked incomplete, exit 130."""
    process = start(["radio", "scan", "fm", "--from", "90M", "--to", "95M", "--progress", "--json"],
                    {"TARVEN_SIM_STATIONS": "FM:9000:stereo"}, work)
    seen = b""
    while b"found 1" not in seen and process.poll() is None:
        seen += os.read(process.stderr.fileno(), 256)
    process.send_signal(signal.SIGINT)
    stdout, stderr = process.communicate(timeout=60)
    stdout = text(stdout)
    try:
        document = json.loads(stdout)
    except ValueError:
        document = {}
    ok = (process.returncode == 130 and document.get("complete") is False and 1 < document.get("steps", 0) < 51
          and document.get("stations") == [{"khz": 90000, "stereo": True}] and b"interrupted" in stderr)
    check("Ctrl-C stops a scan", ok, f"exit {process.returncode}\nstdout: {stdout!r}\nstderr: {stderr!r}")


def missing_library(work):
    """k3ctl without the library, and with the library but without IO.dll: exit 5, saying which."""
    for copied, missing in (([], "TarvenK3Cmd.dll is not in"), (["TarvenK3Cmd.dll", "TarVenCOM.dll"], "needs IO.dll")):
        folder = tempfile.mkdtemp(dir=work)
        for name in ["k3ctl.exe"] + copied:
            shutil.copy(os.path.join(BIN, name), folder)
        process = start(["info"], {}, work, exe=os.path.join(folder, "k3ctl.exe"))
        stdout, stderr = process.communicate(timeout=60)
        check(f"missing library: {missing}", process.returncode == 5 and not stdout and missing in text(stderr),
              f"exit {process.returncode}\nstdout: {stdout!r}\nstderr: {stderr!r}")


def doctor(name, extra, memory_integrity, files, args, code, parts, work):
    """k3ctl doctor's verdict lines and exit code; the registry value it reads is removed again."""
    exe = EXE
    if files is not None:
        exe = os.path.join(tempfile.mkdtemp(dir=work), "k3ctl.exe")
        for file in files:
            shutil.copy(os.path.join(BIN, file), os.path.dirname(exe))
    value = [MEMORY_INTEGRITY, "/v", "Enabled", "/f"]
    if memory_integrity:
        subprocess.run(WINE + ["reg", "add"] + value + ["/t", "REG_DWORD", "/d", "1"], capture_output=True, check=True)
    try:
        process = start(args, extra, work, exe=exe)
        stdout, stderr = process.communicate(timeout=60)
    finally:
        if memory_integrity:
            subprocess.run(WINE + ["reg", "delete"] + value, capture_output=True, check=True)
    stdout = text(stdout)
    parsed = "--json" not in args or matches({}, stdout)  # one JSON document
    check(name, process.returncode == code and parsed and all(part in stdout for part in parts),
          f"exit {process.returncode}, expected {code}\nstdout: {stdout}\nexpected in it: {parts!r}\n"
          f"stderr: {text(stderr)!r}")


def main():
    with tempfile.TemporaryDirectory() as work:
        # A session of k3ctl left open keeps Wine's server up between the runs, each of which
        # would otherwise start it again (2-3 s). Once it has answered, the server runs: a server
        # that a later run started would hold that run's output pipes open.
        os.mkdir(os.path.join(work, "server"))
        server = start(["-"], {}, os.path.join(work, "server"), stdin=subprocess.PIPE)
        server.stdin.write(b"status\n")
        server.stdin.flush()
        server.stdout.readline()
        for case in CASES:
            run_case(*case, work=work)
        run_case("session", {}, ["-"], 1, SESSION_OUT, "line 6: usage: tilt", work, stdin=SESSION)
        run_case("session --json", {}, ["--json", "-"], 0, [{"status": [1, 1, 1]}, {"band": "AM", "station": True}], "",
                 work, stdin="status\nradio detect am 810\n")
        play_holds_the_radio_on(work)
        ctrl_c_stops_a_scan(work)
        missing_library(work)
        doctor(*DOCTOR_CASES[0], work=work)
        # The other doctor cases need the unit free: a command prompt keeps Wine's server up now.
        prompt = subprocess.Popen(WINE + ["cmd"], cwd=work, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        prompt.stdin.write(b"echo ready\r\n")
        prompt.stdin.flush()
        server.stdin.close()
        server.wait(timeout=60)
        while b"ready" not in prompt.stdout.readline():
            pass
        for case in DOCTOR_CASES[1:]:
            doctor(*case, work=work)
        prompt.stdin.close()
        prompt.wait(timeout=60)
    checks.summary()
    return len(checks.failures)


if __name__ == "__main__":
    sys.exit(main())
