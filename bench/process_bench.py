#!/usr/bin/env python3
"""What simhost costs as processes: its start-up, and a Monte-Carlo set against its flights.

  bench/process_bench.py startup SIMHOST [SIMHOST...]   wall time of `--help` and of
      `run --until 0.02`, each binary in turn within every repetition (so that two builds are
      measured side by side under the same load); medians [ms] over --repeat runs
  bench/process_bench.py montecarlo SIMHOST [options passed on]   a set (default 1000 runs, seed 1)
      flown with forked runs and with --spawn; prints simhost's cpu line of each (the runs' CPU
      time against the set's wall time) and the wall times [s]

/bin/true is timed beside the binaries as the floor of starting any process here.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def wall(cmd):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - t


def startup(binaries, repeat):
    commands = [["/bin/true"]]
    for b in binaries:
        commands += [[b, "--help"], [b, "run", "--until", "0.02"]]
    times = {i: [] for i in range(len(commands))}
    for c in commands:  # warm the page cache
        wall(c)
    for _ in range(repeat):
        for i, c in enumerate(commands):
            times[i].append(wall(c))
    for i, c in enumerate(commands):
        print(f"{statistics.median(times[i]) * 1e3:8.2f} ms  {' '.join(c)}")


def montecarlo(simhost, extra):
    with tempfile.TemporaryDirectory() as d:
        for label, flag in (("forked", []), ("spawned", ["--spawn"])):
            cmd = [simhost, "montecarlo", "--out", os.path.join(d, label + ".jsonl"), "--worst", "0"]
            cmd += flag + extra
            t = time.perf_counter()
            r = subprocess.run(cmd, capture_output=True, text=True, check=False)
            elapsed = time.perf_counter() - t
            cpu = [l for l in r.stdout.splitlines() if l.startswith("cpu: ")]
            print(f"{label:8s} {elapsed:7.2f} s wall, exit {r.returncode}: {cpu[0] if cpu else r.stderr[-300:]}")


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("what", choices=["startup", "montecarlo"])
    p.add_argument("simhost", nargs="+")
    p.add_argument("--repeat", type=int, default=50)
    a, extra = p.parse_known_args()
    if a.what == "startup":
        startup(a.simhost, a.repeat)
    else:
        montecarlo(a.simhost[0], a.simhost[1:] + extra)


if __name__ == "__main__":
    sys.exit(main())
