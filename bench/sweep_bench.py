#!/usr/bin/env python3
"""How long `vantor /C` takes on a big folder, against the floor of the work.

For 10,000, 20,000 and 40,000 files (4 in 10 clutter, the rest three
iterations of each model, keep 1) it times the whole `vantor /C` process
of an optimised Linux build (made in build/bench, as the product is) and, on a fresh copy of the same folder, one Python
process that renames the files the sweep moves into the same mirror folder.
Runs are interleaved; medians of at least 5 runs are printed with their
ratios, and the 40,000 run against the 20,000 one.

    bench/sweep_bench.py [runs]        VANTOR_LINUX=path to use another build
"""
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAM = os.environ.get("VANTOR_LINUX", os.path.join(ROOT, "build", "bench", "vantor"))
SIZES = (10_000, 20_000, 40_000)
RENAME_LOOP = """
import os, sys
folder, mirror, names = sys.argv[1], sys.argv[2], sys.argv[3]
os.makedirs(mirror, exist_ok=True)
for name in open(names).read().split("\\n"):
    if name:
        os.rename(os.path.join(folder, name), os.path.join(mirror, name))
"""


def make_folder(folder, count):
    """Files of the sweep's kinds; returns the names a sweep moves."""
    os.makedirs(folder)
    moved = []
    clutter = count * 4 // 10
    for i in range(clutter):
        name = f"job{i:06d}.log"
        moved.append(name)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"x" * 64)
    for i in range((count - clutter) // 3):
        for version in (1, 2, 3):
            name = f"part{i:06d}.prt.{version}"
            if version < 3:
                moved.append(name)
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"m" * 128)
    return moved


def time_sweep(work, count):
    anchor = os.path.join(work, "anchor")
    os.makedirs(anchor)
    shutil.copy(PROGRAM, os.path.join(anchor, "vantor"))
    with open(os.path.join(anchor, "Vantor.ini"), "w", newline="") as f:
        f.write("CP_Countdown=None\r\nCP_Keep_N=1\r\nCP_Max_Days=21\r\nCP_Clutter=*.log\r\n")
    folder = os.path.join(work, "proj")
    make_folder(folder, count)
    start = time.perf_counter()
    subprocess.run([os.path.join(anchor, "vantor"), "/C", folder], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    elapsed = time.perf_counter() - start
    left = len(os.listdir(folder))
    if left != count - (count * 4 // 10) - 2 * ((count - count * 4 // 10) // 3):
        sys.exit(f"the sweep left {left} files of {count}")
    return elapsed


def time_rename_loop(work, count):
    folder = os.path.join(work, "proj")
    names = os.path.join(work, "names.txt")
    with open(names, "w") as f:
        f.write("\n".join(make_folder(folder, count)))
    mirror = os.path.join(work, "bin", folder.lstrip("/"))
    start = time.perf_counter()
    subprocess.run([sys.executable, "-c", RENAME_LOOP, folder, mirror, names], check=True)
    return time.perf_counter() - start


def build_program():
    """The tests' build is unoptimised; the product is not."""
    if "VANTOR_LINUX" in os.environ:
        return
    folder = os.path.join(ROOT, "build", "bench")
    subprocess.run(["cmake", "-S", ROOT, "-B", folder, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DVANTOR_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", folder, "--target", "vantor"], check=True,
                   stdout=subprocess.DEVNULL)


def main():
    build_program()
    runs = max(5, int(sys.argv[1]) if len(sys.argv) > 1 else 5)
    print(f"machine: {platform.node()} {platform.machine()}, {os.cpu_count()} cores, "
          f"{platform.system()} {platform.release()}")
    print(f"program: {PROGRAM}")
    print("load at start: " + " ".join(f"{x:.2f}" for x in os.getloadavg()))
    times = {(size, kind): [] for size in SIZES for kind in ("sweep", "loop")}
    for run in range(runs):
        for size in SIZES:
            for kind, measure in (("sweep", time_sweep), ("loop", time_rename_loop)):
                work = tempfile.mkdtemp(prefix="sweep-bench-")
                try:
                    times[(size, kind)].append(measure(work, size))
                finally:
                    shutil.rmtree(work)
    median = {key: statistics.median(values) for key, values in times.items()}
    print("load at end:   " + " ".join(f"{x:.2f}" for x in os.getloadavg()))
    print(f"medians of {runs} interleaved runs")
    for size in SIZES:
        sweep, loop = median[(size, "sweep")], median[(size, "loop")]
        print(f"{size:>6} files: vantor /C {sweep * 1000:8.1f} ms   rename loop {loop * 1000:8.1f} ms"
              f"   ratio {sweep / loop:5.2f} (goal <= 1.5)")
    growth = median[(40_000, "sweep")] / median[(20_000, "sweep")]
    print(f"40,000 against 20,000 files: {growth:.2f} times (goal <= 2.1)")


if __name__ == "__main__":
    main()
