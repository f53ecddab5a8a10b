#!/usr/bin/env bash
# How long /R takes to read a large history log and offer its list.
#
# Builds an anchor whose log holds LINES file lines (default 100,000) over
# 200 project folders, a third of them for files the bin no longer holds,
# and runs build/linux/vantor /R with a stand-in pwsh that takes the filled
# script and chooses nothing. The time is the whole process: fold, read,
# list, rows file, and the stand-in's start. Prints each run and the median.
#
#   bench/restore_bench.sh [runs]     LINES=n for another log size
#                                     VANTOR_LINUX=path to use another build
# Without VANTOR_LINUX it measures an optimised build (build/release), made
# here when missing: the tests' build is unoptimised.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${VANTOR_LINUX:-}" ]; then
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVANTOR_BUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build/release" >/dev/null
fi
program="${VANTOR_LINUX:-$root/build/release/vantor}"
runs="${1:-5}"
lines="${LINES:-100000}"

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
anchor="$work/Tools/Vantor"
mkdir -p "$anchor/Vantor_Sweep" "$work/shim"
cp "$program" "$anchor/vantor"
printf 'CP_Countdown=None\r\n' >"$anchor/Vantor.ini"
cat >"$work/shim/pwsh" <<'SCRIPT'
#!/bin/sh
cat >/dev/null
SCRIPT
chmod +x "$work/shim/pwsh"

python3 - "$anchor/Vantor_Sweep" "$work/Projects" "$lines" <<'PY'
import os, sys
bin_folder, projects, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
out = []
for i in range(count):
    folder = f"{projects}/project {i % 200:03d}/models"
    name = f"part{i // 200:05d}.prt.{i % 7 + 1}" if i % 5 else f"trail{i}.txt.1"
    size = "(1.0 KB)" if i % 5 else "(12.0 B) [Clutter]"
    out.append(f"2024-05-03 10:00:00 | {name:<35} | {folder:<87} | {size}")
    if i % 3:
        mirror = bin_folder + folder
        os.makedirs(mirror, exist_ok=True)
        open(os.path.join(mirror, name), "wb").close()
with open(os.path.join(bin_folder, "Vantor_Sweep.log"), "w", newline="") as log:
    log.write("\r\n".join(out) + "\r\n")
PY

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo); load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "log: $lines file lines, $(find "$anchor/Vantor_Sweep" -type f | wc -l) files in the bin"
times=()
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  (cd "$anchor" && PATH="$work/shim:$PATH" ./vantor /R </dev/null >/dev/null)
  end=$(date +%s%N)
  ms=$(((end - start) / 1000000))
  times+=("$ms")
  echo "run $run: $ms ms"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
echo "median: $median ms for /R to offer its list (goal: under 500 ms)"
