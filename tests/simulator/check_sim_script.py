#!/usr/bin/env python3
"""TarvenK3Sim.exe's script form, as a customer's automated test uses it: the window runs, a
script changes its PC with `set`, and k3ctl (a program of theirs) sees each change at its next
call; `state --json` says what the programs read.

  check_sim_script.py BIN_DIR WINE...   BIN_DIR holds TarvenK3Sim.exe and k3ctl.exe beside the
                                        library and the stand-ins; WINE... runs a Windows
                                        program (wine64.sh BUILD_DIR, or wine)
  check_sim_script.py --one-pc FOLDER WINE64...
                                        one PC for a 32-bit program, a 64-bit one through the
                                        bridge and k3ctl: FOLDER is the bridge's layout, with a
                                        64-bit k3ctl.exe in bin64/ and the 32-bit TarvenK3Sim.exe
                                        and k3ctl.exe in bin64/x86/; WINE64... runs both bitnesses
                                        in one WoW64 prefix
"""
import json
import os
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checks import check, summary  # noqa: E402

ONE_PC = sys.argv[1] == "--one-pc"
BIN = os.path.abspath(sys.argv[2 if ONE_PC else 1])
WINE = sys.argv[3 if ONE_PC else 2:]
SIM = os.path.join("bin64", "x86", "TarvenK3Sim.exe") if ONE_PC else "TarvenK3Sim.exe"
ENV = {k: v for k, v in os.environ.items() if not k.startswith("TARVEN_SIM_")}

# (what, set's arguments, its exit code, text in its stderr, k3ctl's arguments, its exit code,
#  what k3ctl prints: text in its output, or JSON fields)
CASES = [
    ("tilt and brightness", ["tilt=3", "brightness=10,2"], 0, "", ["--json", "info"], 0,
     {"monitor_unit": True, "brightness": {"day": 10, "night": 2}}),
    ("all or nothing", ["tilt=4", "bogus=1"], 2, "no setting 'bogus' of the running PC; the keys are: port_access",
     ["--json", "brightness"], 0, {"day": 10, "night": 2}),
    ("a value out of range", ["brightness=16,2"], 2, "'16,2' is not a value of brightness, which takes",
     ["brightness"], 0, "day 10, night 2"),
    ("the unit disconnected", ["unit=absent"], 0, "", ["info"], 3, "monitor unit: not found"),
    ("and connected again", ["unit=present"], 0, "", ["status"], 0, "status: 1 1 1"),
]


def run(program, args, stdin=None):
    """PROGRAM (a path under BIN) run in its own folder."""
    path = os.path.join(BIN, program)
    return subprocess.run(WINE + [path] + args, cwd=os.path.dirname(path), env=ENV, input=stdin,
                          capture_output=True, text=True, timeout=120)


def state():
    done = run(SIM, ["state", "--json"])
    try:
        return json.loads(done.stdout)
    except ValueError:
        check(False, f"state --json does not parse (exit {done.returncode}): {done.stdout}{done.stderr}")
        return {}


def shows(expected, out):
    if isinstance(expected, str):
        return expected in out
    try:
        seen = json.loads(out)
    except ValueError:
        return False
    return all(seen.get(key) == value for key, value in expected.items())


def own_display():
    """A virtual display for the window when there is none (the 32-bit run brings its own)."""
    if os.environ.get("DISPLAY"):
        return None
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp"], pass_fds=[write],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    ENV["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    return xvfb


def script_checks(window):
    for what, assignments, code, error, k3ctl, k3ctl_code, printed in CASES:
        done = run(SIM, ["set"] + assignments)
        check(done.returncode == code and error in done.stderr,
              f"{what}: set {' '.join(assignments)}: exit {done.returncode}, expected {code} and {error!r} "
              f"in {done.stderr!r}")
        seen = run("k3ctl.exe", k3ctl)
        check(seen.returncode == k3ctl_code and shows(printed, seen.stdout + seen.stderr),
              f"{what}: k3ctl {' '.join(k3ctl)}: exit {seen.returncode}, expected {k3ctl_code} and {printed!r} "
              f"in {seen.stdout}{seen.stderr}")
        if what == "tilt and brightness":
            pc, read = state(), json.loads(seen.stdout)
            check(pc.get("tilt") == 3 and pc.get("brightness") == read["brightness"] and pc.get("unit") == "present",
                  f"state --json says {pc}, k3ctl read {read}")
    # A program's session that runs on while the script pulls the unit's cable.
    session = subprocess.Popen(WINE + [os.path.join(BIN, "k3ctl.exe"), "-"], cwd=BIN, env=ENV, text=True,
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    session.stdin.write("status\n")
    session.stdin.flush()
    first = session.stdout.readline()
    run(SIM, ["set", "unit=absent"])
    out, err = session.communicate("status\n", timeout=120)
    print(f"k3ctl - : {first.strip()!r}, then after set unit=absent: {err.strip()!r}, exit {session.returncode}")
    check(first.startswith("status: ") and session.returncode == 3 and "does not report its status" in err,
          f"the session saw {first!r}, then {out!r} {err!r}, exit {session.returncode}")
    check(any(c.get("program") == "TarvenK3Sim.exe" for c in state().get("calls", [])),
          "the log does not show the script's changes")
    window.terminate()
    window.wait(timeout=60)
    check(run(SIM, ["state"]).returncode == 3, "state without a window: exit 3")


def one_pc_checks():
    """The 64-bit k3ctl sets through the bridge's 32-bit host, the 32-bit k3ctl reads it back, and
    the 32-bit window shows both on its one PC."""
    wrote = run(os.path.join("bin64", "k3ctl.exe"), ["brightness", "11", "6"])
    read = run(os.path.join("bin64", "x86", "k3ctl.exe"), ["--json", "brightness"])
    pc = state()
    callers = sorted({c.get("program") for c in pc.get("calls", [])} - {None})
    print(f"64-bit k3ctl: {wrote.stdout.strip()!r}; 32-bit k3ctl: {read.stdout.strip()!r}; "
          f"window: {pc.get('brightness')}, programs that called: {callers}")
    check(wrote.returncode == 0 and "day 11, night 6" in wrote.stdout,
          f"64-bit k3ctl: exit {wrote.returncode}: {wrote.stdout}{wrote.stderr}")
    check(read.returncode == 0 and shows({"day": 11, "night": 6}, read.stdout),
          f"32-bit k3ctl: exit {read.returncode}: {read.stdout}{read.stderr}")
    check(pc.get("brightness") == {"day": 11, "night": 6} and {"TarvenK3Host.exe", "k3ctl.exe"} <= set(callers),
          f"the window's PC: {pc}")


def main():
    xvfb = own_display()
    # The window starts first and keeps Wine's server running: a server that a program with
    # captured output started would hold that output open after the program ended.
    window = subprocess.Popen(WINE + [os.path.join(BIN, SIM)], cwd=os.path.dirname(os.path.join(BIN, SIM)), env=ENV,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(120):  # output not captured until the window is up, for the reason above
            if subprocess.run(WINE + [os.path.join(BIN, SIM), "state"], cwd=BIN, env=ENV,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
                break
            time.sleep(0.5)
        if ONE_PC:
            one_pc_checks()
        else:
            script_checks(window)
    finally:
        for process in (window, xvfb):
            if process and process.poll() is None:
                process.kill()
                process.wait()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
