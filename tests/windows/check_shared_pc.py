#!/usr/bin/env python3
"""Two programs on one simulated PC (TARVEN_SIM_SHARED), each tuning and detecting in a loop.

  check_shared_pc.py BIN_DIR SECONDS WINE...   BIN_DIR holds shared_pc_loop.exe beside the
                                               library and the stand-in DLLs; WINE... runs a
                                               Windows program

Both must find the station every time, and the shared tuner must have seen no malformed
transfer (its state report's tuner.malformed). Exits with the number of failed checks.
"""
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ beside the checkers
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import checks  # noqa: E402

BIN, SECONDS, WINE = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3:]
with tempfile.TemporaryDirectory() as folder:
    name = "check%d" % os.getpid()  # unique per run
    reports = [os.path.join(folder, "report%d.txt" % i) for i in (1, 2)]
    programs = [subprocess.Popen(WINE + [os.path.join(BIN, "shared_pc_loop.exe"), SECONDS], cwd=BIN,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                 env=dict(os.environ, TARVEN_SIM_SHARED=name, TARVEN_SIM_REPORT=report))
                for report in reports]
    for i, program in enumerate(programs, 1):
        output = program.communicate()[0]
        print("program %d: %s" % (i, output.strip()))
        checks.check(program.returncode == 0, "program %d exited with %d" % (i, program.returncode))
    for report in reports:
        text = open(report).read() if os.path.exists(report) else ""
        malformed = [line for line in text.splitlines() if line.startswith("tuner.malformed=")]
        print("%s: %s" % (os.path.basename(report), malformed))
        checks.check(malformed == ["tuner.malformed=0"], "the shared tuner saw malformed transfers")
sys.exit(checks.summary())
