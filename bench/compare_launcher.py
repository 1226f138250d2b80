#!/usr/bin/env python3
"""Measures the whole POSIX launcher, side by side in one run, with its
files in $LAUNCHER_BENCH_DIR (default /tmp):

- against `sed -i` doing the same two substitutions on the same 64 MiB file;
- its peak memory on a 1 MiB and a 64 MiB response file;
- the time from the installer's end to the launcher's end;
- its time to the installer's start, and its own CPU time, on a 4 KiB file.

Medians over several runs. Usage: compare_launcher.py BUILD_DIR [RUNS]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

build = os.path.abspath(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
launcher = os.path.join(build, "launcher")
installer = os.path.join(build, "bench", "instant_installer")
generator = os.path.join(build, "bench", "generate_response")
peak_memory = os.path.join(build, "bench", "peak_memory")

scratch = tempfile.mkdtemp(prefix="launcher-compare-", dir=os.environ.get("LAUNCHER_BENCH_DIR"))
package = os.path.join(scratch, "c", "sysprep", "Bench")
os.makedirs(package)
os.makedirs(os.path.join(scratch, "c", "TEMP"))
shutil.copy(installer, os.path.join(package, "setup.exe"))
response = os.path.join(package, "setup.iss")
sources = {}
for size in (4 << 10, 1 << 20, 64 << 20):
    path = os.path.join(scratch, f"source-{size}.iss")
    with open(path, "wb") as out:
        subprocess.run([generator, str(size)], stdout=out, check=True)
    sources[size] = path

environment = dict(os.environ, LAUNCHER_ROOT=scratch, ProgramFiles="D:\\Programme",
                   TEMP="C:\\TEMP", INSTALLER_STARTED=os.path.join(scratch, "started"),
                   INSTALLER_ENDED=os.path.join(scratch, "ended"))


def fresh(size):
    shutil.copy(sources[size], response)
    for name in os.listdir(os.path.join(scratch, "c", "TEMP")):
        os.remove(os.path.join(scratch, "c", "TEMP", name))


def run(argv, env=None):
    """Runs once; returns wall seconds, CPU seconds and peak memory in KiB."""
    start = time.perf_counter()
    began_ns = time.time_ns()
    pid = os.posix_spawn(argv[0], argv, env or environment)
    _, status, usage = os.wait4(pid, 0)
    ended_ns = time.time_ns()
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) not in (0, 1):
        sys.exit(f"{argv[0]} failed with {status}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, began_ns, ended_ns


def stamp(name, field=0):
    with open(os.path.join(scratch, name)) as f:
        return int(f.read().split()[field])


def median(values):
    return statistics.median(values)


# 1. The launcher against sed -i on 64 MiB.
sed = shutil.which("sed")
sed_script = ["-e", r"s/c:\\progra~1/D:\\Programme/I", "-e", "t", "-e",
              r"s/c:\\program files/D:\\Programme/I"]
launcher_times, sed_times = [], []
for _ in range(runs):
    fresh(64 << 20)
    launcher_times.append(run([launcher, "Bench"])[0])
    fresh(64 << 20)
    sed_times.append(run([sed, "-i", *sed_script, response])[0])
print(f"64 MiB, median of {runs}: launcher {median(launcher_times) * 1e3:.0f} ms, "
      f"sed -i {median(sed_times) * 1e3:.0f} ms: launcher {median(sed_times) / median(launcher_times):.1f}x faster")

# 2. Peak memory, started from a small process (see peak_memory.cc); it
# takes in the installer's, which is smaller.
for size, label in ((1 << 20, "1 MiB"), (64 << 20, "64 MiB")):
    peaks = []
    for _ in range(runs):
        fresh(size)
        result = subprocess.run([peak_memory, launcher, "Bench"], env=environment,
                                capture_output=True, text=True, check=True)
        peaks.append(int(result.stdout))
    print(f"peak memory, {label}: {median(peaks):.0f} KiB")

# 3. From the installer's end to the launcher's end.
delays = []
for _ in range(runs):
    fresh(4 << 10)
    env = dict(environment, INSTALLER_MS="300")
    _, _, _, _, ended_ns = run([launcher, "Bench"], env)
    delays.append((ended_ns - stamp("ended")) / 1e6)
print(f"installer's end to launcher's end: median {median(delays):.2f} ms, "
      f"max {max(delays):.2f} ms")

# 4. A 4 KiB launch: to the installer's start, and the launcher's own CPU
# time (its usage, which takes in the reaped installer's, less the
# installer's own).
floor = []
for _ in range(max(runs, 20)):
    floor.append(run([launcher])[1] * 1e3)  # an empty tail: start and end only
to_start, cpu = [], []
for _ in range(max(runs, 20)):
    fresh(4 << 10)
    _, cpu_seconds, _, began_ns, _ = run([launcher, "Bench"])
    to_start.append((stamp("started") - began_ns) / 1e6)
    cpu.append(cpu_seconds * 1e3 - stamp("ended", 1) / 1e6)
print(f"4 KiB launch: {median(to_start):.2f} ms from the launcher's start to the installer's "
      f"(both process starts included); the launcher's own CPU time {median(cpu):.2f} ms, "
      f"of which {median(floor):.2f} ms is starting and ending any launcher process "
      f"(an empty command line), so {median(cpu) - median(floor):.2f} ms for the work")

shutil.rmtree(scratch)
