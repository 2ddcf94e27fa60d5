#!/usr/bin/python3
"""Measures the CPU that window_check and the X server use while the window
is open and redrawn every 18 ms under Xvfb (not a test: a measurement).

Usage: measure_cpu.py WINDOW_CHECK [SECONDS] [RUNS]
Prints, per run, percent of one core for the program and for Xvfb, from
utime + stime in /proc/PID/stat over the measured seconds.
"""

import os
import sys
import time

from window_test import Session

TICKS_PER_S = os.sysconf("SC_CLK_TCK")
WARM_UP_S = 2


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        # The command name may hold spaces; the fields after it do not.
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def measure(program, seconds):
    s = Session(program)
    try:
        s.start_x()
        s.start_program()
        time.sleep(WARM_UP_S)
        pids = (s.app.pid, s.xvfb.pid)
        before = [cpu_ticks(pid) for pid in pids]
        began = time.monotonic()
        time.sleep(seconds)
        after = [cpu_ticks(pid) for pid in pids]
        took = time.monotonic() - began
        return [100.0 * (a - b) / TICKS_PER_S / took for a, b in zip(after, before)]
    finally:
        s.stop()


def main():
    program = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    for run in range(runs):
        app, server = measure(program, seconds)
        print(f"run {run + 1}: window_check {app:5.1f} %, Xvfb {server:5.1f} % of one core over {seconds:g} s")


if __name__ == "__main__":
    main()
