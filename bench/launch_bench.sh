#!/usr/bin/env bash
# How long a whole /L takes, next to a bare PowerShell start.
#
# Runs vantor /L (the Linux build) with a PATH that holds no PowerShell, the
# countdown and the sweep off and a stand-in Creo that only notes it was
# started, on two folders: one of 5 models, and one of 5,000 files (3,000
# models of many sizes and ages among 2,000 other files). A bare PowerShell
# start (pwsh -NoProfile -Command exit) runs interleaved with them, so all
# three see the same machine load. Prints every run, the medians and each
# launch's median as a ratio of the bare start (goal: at most 0.10).
#
#   bench/launch_bench.sh [runs]      (at least 5; default 7)
#   VANTOR_LINUX=path to measure another build (default: a Release build made
#   in build/release)
#   PWSH="command" to compare with another PowerShell (bench/precompiled_pwsh.sh)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${VANTOR_LINUX:-}"
runs="${1:-7}"
[ "$runs" -ge 5 ] || { echo "use at least 5 runs" >&2; exit 1; }
export PATH="$PATH:$HOME/.dotnet/tools"
read -r -a pwsh <<<"${PWSH:-$(command -v pwsh)}"
[ "${#pwsh[@]}" -gt 0 ] || { echo "pwsh is missing" >&2; exit 1; }
if [ -z "$program" ]; then
  # Users run an optimised build; the test build (Debug) is not what they time.
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVANTOR_BUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build/release" --target vantor >/dev/null
  program="$root/build/release/vantor"
fi
[ -x "$program" ] || { echo "$program is missing: run scripts/build" >&2; exit 1; }

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
anchor="$work/Tools/Vantor"
mkdir -p "$anchor/Vantor_Home/Settings" "$work/home" "$work/nopwsh"
cp "$program" "$anchor/vantor"
printf 'CP_Countdown=None\r\nCP_Launch_Sweep=No\r\n' >"$anchor/Vantor.ini"
printf 'master config\r\n' >"$anchor/Vantor_Home/Settings/Vantor_Config.pro"
for version in 10.0.2.0 11.0.1.0; do
  bin="$work/pf/PTC/Creo $version/Parametric/bin"
  mkdir -p "$bin"
  printf '#!/bin/sh\n: >"%s/creo.started"\n' "$work" >"$bin/parametric.exe"
  chmod +x "$bin/parametric.exe"
done
# The programs a launch may call, and no PowerShell among them.
for tool in sh rsync; do
  found=$(command -v "$tool") && ln -s "$found" "$work/nopwsh/$tool"
done

small="$work/Small"
large="$work/Large"
python3 - "$small" "$large" <<'PY'
import os, sys
def header():
    tags = ["VERS", "HOST", "LINK", "DBID", "REVS", "RELL", "UOBJ_ID", "MACH"]
    lines = ["#UGC:2 PART 1681 1500 2 1 0 26 4100 2024000 00000101 \\"]
    lines += ["#- %s 0 0" % t for t in tags]
    lines += ["#-END_OF_UGC_HEADER", "#Creo  TM  11.0  (c) 2024 by PTC Inc.  All Rights Reserved."]
    return ("\n".join(lines) + "\n").encode()
def model(path, size, stamp=None):
    with open(path, "wb") as f:
        f.write(header() + bytes(size))
    if stamp is not None:
        os.utime(path, (stamp, stamp))
small, large = sys.argv[1], sys.argv[2]
os.makedirs(small); os.makedirs(large)
for i in range(1, 6):
    model(os.path.join(small, "part%d.prt.%d" % (i, i)), i * 60000)
n = 0
for i in range(1, 201):
    for ext in ("prt", "asm", "drw"):
        for it in range(1, 6):
            model(os.path.join(large, "model%d.%s.%d" % (i, ext, it)), (n * 7919) % 20000,
                  1_600_000_000 + (n * 104729) % 10_000_000)
            n += 1
for i in range(1, 2001):
    with open(os.path.join(large, "note%d.txt" % i), "wb") as f:
        f.write(b"x")
PY
[ "$(ls "$large" | wc -l)" -eq 5000 ] || { echo "the large folder is not 5,000 files" >&2; exit 1; }

now() { date +%s%N; }
run_launch() { # folder -> prints elapsed ns; checks that Creo was started
  local start elapsed
  rm -f "$work/creo.started"
  start=$(now)
  (cd "$work" && env PATH="$work/nopwsh" HOME="$work/home" USERPROFILE="$work/home" \
    ProgramFiles="$work/pf" "$anchor/vantor" /L "$1" </dev/null >"$work/out" 2>&1)
  elapsed=$(($(now) - start))
  for _ in $(seq 1 100); do [ -e "$work/creo.started" ] && break; sleep 0.02; done
  [ -e "$work/creo.started" ] || { echo "Creo was not started:" >&2; cat "$work/out" >&2; exit 1; }
  echo "$elapsed"
}
run_bare() {
  local start
  start=$(now)
  (cd "$work" && "${pwsh[@]}" -NoProfile -Command exit)
  echo $(($(now) - start))
}

ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1000000 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

echo "machine: $(nproc) cores, $(uname -sr), load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "program: $program"
echo "PowerShell: ${pwsh[*]}"
printf '%-6s %12s %14s %16s\n' run "bare ms" "5 models ms" "5,000 files ms"
: >"$work/bare"; : >"$work/small"; : >"$work/large"
for run in $(seq 1 "$runs"); do
  b=$(run_bare); s=$(run_launch "$small"); l=$(run_launch "$large")
  echo "$b" >>"$work/bare"; echo "$s" >>"$work/small"; echo "$l" >>"$work/large"
  printf '%-6s %12s %14s %16s\n' "$run" "$(ms "$b")" "$(ms "$s")" "$(ms "$l")"
done
b=$(median <"$work/bare"); s=$(median <"$work/small"); l=$(median <"$work/large")
printf '%-6s %12s %14s %16s\n' median "$(ms "$b")" "$(ms "$s")" "$(ms "$l")"
echo "/L on 5 models: $(ratio "$s" "$b") of a bare PowerShell start (goal at most 0.100)"
echo "/L on 5,000 files: $(ratio "$l" "$b") of a bare PowerShell start (goal at most 0.100)"
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
