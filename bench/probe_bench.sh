#!/usr/bin/env bash
# What the model probe costs beyond PowerShell's own start-up.
#
# Fills the probe template as the program does (target folder as base64,
# UTF-8 with a byte-order mark, CR LF) and runs it with the program's
# arguments on two folders: one of 5 models, and one of 5,000 files (models
# of many sizes and ages among other files). Bare start-up
# (pwsh -NoProfile -Command exit) runs interleaved with them, so all three
# see the same machine load. Prints every run, the medians, and each folder's
# own cost: its median minus the bare median.
#
#   bench/probe_bench.sh [runs]          (at least 5; default 7)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
template="$root/resources/scripts/model_probe.ps1"
runs="${1:-7}"
[ "$runs" -ge 5 ] || { echo "use at least 5 runs" >&2; exit 1; }
export PATH="$PATH:$HOME/.dotnet/tools"
pwsh=$(command -v pwsh) || { echo "pwsh is missing" >&2; exit 1; }

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
mkdir -p "$work/pf/PTC/Creo 10.0.2.0/Parametric/bin" "$work/pf/PTC/Creo 11.0.1.0/Parametric/bin"
touch "$work/pf/PTC/Creo 10.0.2.0/Parametric/bin/parametric.exe" \
  "$work/pf/PTC/Creo 11.0.1.0/Parametric/bin/parametric.exe"

# A model: a dozen header lines with the version mark on the last, then
# binary bytes up to the given size.
header() {
  printf '#UGC:2 PART 1681 1500 2 1 0 26 2500 2024000 00000101 \\\n'
  for tag in VERS HOST LINK DBID REVS RELL UOBJ_ID MACH; do printf '#- %s 0 0\n' "$tag"; done
  printf '#-END_OF_UGC_HEADER\n#Creo  TM  %s.0  (c) 2023 by PTC Inc.  All Rights Reserved.\n' "$1"
}
make_model() { # path version size
  { header "$2"; head -c "$3" /dev/zero; } >"$1"
}

small="$work/Small"
mkdir -p "$small"
for i in 1 2 3 4 5; do make_model "$small/part$i.prt.$i" 10 $((i * 60000)); done

large="$work/Large"
mkdir -p "$large"
# 3,000 models (1,000 each of parts, assemblies and drawings, 1 to 5 iterations),
# 2,000 other files; sizes and write times spread out.
n=0
for i in $(seq 1 600); do
  for ext in prt asm drw; do
    for it in 1 2 3 4 5; do
      [ $n -lt 3000 ] || break
      make_model "$large/model$i.$ext.$it" $((9 + it % 3)) $(((n * 7919) % 20000))
      n=$((n + 1))
    done
  done
done
for i in $(seq 1 2000); do printf 'x' >"$large/note$i.txt"; done
python3 - "$large" <<'PY'
import os, sys
folder = sys.argv[1]
for i, name in enumerate(sorted(os.listdir(folder))):
    t = 1_600_000_000 + (i * 104729) % 10_000_000
    os.utime(os.path.join(folder, name), (t, t))
PY
[ "$(ls "$large" | wc -l)" -eq 5000 ] || { echo "the large folder is not 5,000 files" >&2; exit 1; }

payload() { # folder -> payload path
  local out="$work/payload_$(basename "$1").ps1"
  local encoded
  encoded=$(printf '%s' "$1" | base64 -w0)
  { printf '\xEF\xBB\xBF'; sed "s|%TARGET_DIR%|$encoded|g; s/\$/\r/" "$template"; } >"$out"
  echo "$out"
}
small_payload=$(payload "$small")
large_payload=$(payload "$large")

now() { date +%s%N; }
run_probe() { # payload -> prints elapsed ns; checks the result line
  local start out
  start=$(now)
  out=$(cd "$work" && ProgramFiles="$work/pf" "$pwsh" -NoProfile -NonInteractive -ExecutionPolicy Bypass -File "$1")
  echo $(($(now) - start))
  case "$out" in X\|1[01]\|*) ;; *) echo "unexpected probe output: $out" >&2; exit 1 ;; esac
}
run_bare() {
  local start
  start=$(now)
  (cd "$work" && "$pwsh" -NoProfile -Command exit)
  echo $(($(now) - start))
}

ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1000000 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %12s %14s %16s\n' run "bare ms" "5 models ms" "5,000 files ms"
: >"$work/bare"; : >"$work/small"; : >"$work/large"
for run in $(seq 1 "$runs"); do
  b=$(run_bare); s=$(run_probe "$small_payload"); l=$(run_probe "$large_payload")
  echo "$b" >>"$work/bare"; echo "$s" >>"$work/small"; echo "$l" >>"$work/large"
  printf '%-6s %12s %14s %16s\n' "$run" "$(ms "$b")" "$(ms "$s")" "$(ms "$l")"
done
b=$(median <"$work/bare"); s=$(median <"$work/small"); l=$(median <"$work/large")
printf '%-6s %12s %14s %16s\n' median "$(ms "$b")" "$(ms "$s")" "$(ms "$l")"
echo "bare start-up subtracted: $(ms "$b") ms"
echo "probe's own cost, 5 models: $(ms $((s - b))) ms (goal at most 150)"
echo "probe's own cost, 5,000 files: $(ms $((l - b))) ms (goal at most 300)"
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
