#!/usr/bin/env bash
# What the model probe costs beyond PowerShell's own start-up.
#
# Fills the probe template as the program does (the prelude's head in front,
# target folder as base64, UTF-8 with a byte-order mark, CR LF) and runs it
# with the program's arguments on two folders: one of 5 models, and one of
# 5,000 files (models of many sizes and ages among other files). Bare start-up
# (pwsh -NoProfile -Command exit) runs interleaved with them, so all three
# see the same machine load. Prints every run, the medians, and each folder's
# own cost: its median minus the bare median. bench/probe_floor.ps1, the least
# a probe can do, runs the same way, for scale.
#
#   bench/probe_bench.sh [runs]          (at least 5; default 7)
#   PROBE_TEMPLATE=path to measure another copy of the template
#   AFTER_ENGINE=1 runs the sweep engine (untimed) before each probe run, in
#   the order launches with the sweep on run the two scripts
#   (ENGINE_TEMPLATE=path to use another copy of the engine template)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
template="${PROBE_TEMPLATE:-$root/resources/scripts/model_probe.ps1}"
prelude="$root/resources/scripts/prelude.ps1"
runs="${1:-7}"
[ "$runs" -ge 5 ] || { echo "use at least 5 runs" >&2; exit 1; }
export PATH="$PATH:$HOME/.dotnet/tools"
# PWSH="command" measures another PowerShell (bench/precompiled_pwsh.sh).
read -r -a pwsh <<<"${PWSH:-$(command -v pwsh)}"
[ "${#pwsh[@]}" -gt 0 ] || { echo "pwsh is missing" >&2; exit 1; }

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
mkdir -p "$work/pf/PTC/Creo 10.0.2.0/Parametric/bin" "$work/pf/PTC/Creo 11.0.1.0/Parametric/bin"
touch "$work/pf/PTC/Creo 10.0.2.0/Parametric/bin/parametric.exe" \
  "$work/pf/PTC/Creo 11.0.1.0/Parametric/bin/parametric.exe"

# Models: a dozen header lines with the version mark on the last, then zero
# bytes up to their size. 5 models in one folder; in the other 3,000 models
# (parts, assemblies and drawings with 1 to 5 iterations) among 2,000 other
# files, sizes and write times spread out.
small="$work/Small"
large="$work/Large"
python3 - "$small" "$large" <<'PY'
import os, sys
def header(version):
    tags = ["VERS", "HOST", "LINK", "DBID", "REVS", "RELL", "UOBJ_ID", "MACH"]
    lines = ["#UGC:2 PART 1681 1500 2 1 0 26 2500 2024000 00000101 \\"]
    lines += ["#- %s 0 0" % t for t in tags]
    lines += ["#-END_OF_UGC_HEADER", "#Creo  TM  %d.0  (c) 2023 by PTC Inc.  All Rights Reserved." % version]
    return ("\n".join(lines) + "\n").encode()
def model(path, version, size, stamp=None):
    with open(path, "wb") as f:
        f.write(header(version) + bytes(size))
    if stamp is not None:
        os.utime(path, (stamp, stamp))
small, large = sys.argv[1], sys.argv[2]
os.makedirs(small); os.makedirs(large)
for i in range(1, 6):
    model(os.path.join(small, "part%d.prt.%d" % (i, i)), 10, i * 60000)
n = 0
for i in range(1, 601):
    for ext in ("prt", "asm", "drw"):
        for it in range(1, 6):
            if n < 3000:
                model(os.path.join(large, "model%d.%s.%d" % (i, ext, it)), 9 + it % 3,
                      (n * 7919) % 20000, 1_600_000_000 + (n * 104729) % 10_000_000)
                n += 1
for i in range(1, 2001):
    with open(os.path.join(large, "note%d.txt" % i), "wb") as f:
        f.write(b"x")
PY
[ "$(ls "$large" | wc -l)" -eq 5000 ] || { echo "the large folder is not 5,000 files" >&2; exit 1; }

payload() { # folder [template] -> payload path
  local tpl="${2:-$template}"
  local out="$work/payload_$(basename "$1")_$(basename "$tpl")"
  local encoded
  encoded=$(printf '%s' "$1" | base64 -w0)
  # As the build embeds it: the head of the prelude (down to its marker
  # line), then the template.
  { printf '\xEF\xBB\xBF'
    { sed '/^# ---- The probe carries the prelude down to here/,$d' "$prelude"; cat "$tpl"; } |
      sed "s|%TARGET_DIR%|$encoded|g; s/\$/\r/"; } >"$out"
  echo "$out"
}
small_payload=$(payload "$small")
large_payload=$(payload "$large")
small_floor=$(payload "$small" "$root/bench/probe_floor.ps1")
large_floor=$(payload "$large" "$root/bench/probe_floor.ps1")

b64() { printf '%s' "$1" | base64 -w0; }
clean="$work/Clean"
mkdir -p "$clean" "$work/bin"
touch "$clean/bracket.prt.1" "$clean/notes.txt"
engine_payload="$work/payload_engine.ps1"
{ printf '\xEF\xBB\xBF'; cat "$prelude" "${ENGINE_TEMPLATE:-$root/resources/scripts/sweep_engine.ps1}" |
  sed "s|%TARGET_DIR%|$(b64 "$clean")|; s|%RECYCLE_DIR%|$(b64 "$work/bin")|; s|%LOG_FILE%|$(b64 "$work/bin/Vantor_Sweep.log")|
       s|%CP_CLUTTER%|$(b64 '*.log*')|; s|%CP_KEEP_N%|1|; s|%CP_MAX_DAYS%|21|; s/\$/\r/"; } >"$engine_payload"
run_engine() {
  [ -n "${AFTER_ENGINE:-}" ] || return 0
  local out
  out=$("${pwsh[@]}" -NoProfile -NonInteractive -ExecutionPolicy Bypass -File "$engine_payload")
  case "$out" in X\|*) ;; *) echo "unexpected engine output: $out" >&2; exit 1 ;; esac
}

now() { date +%s%N; }
run_probe() { # payload -> prints elapsed ns; checks the result line
  local start out
  start=$(now)
  out=$(cd "$work" && ProgramFiles="$work/pf" "${pwsh[@]}" -NoProfile -NonInteractive -ExecutionPolicy Bypass -File "$1")
  echo $(($(now) - start))
  case "$out" in X\|1[01]\|*) ;; *) echo "unexpected probe output: $out" >&2; exit 1 ;; esac
}
run_bare() {
  local start
  start=$(now)
  (cd "$work" && "${pwsh[@]}" -NoProfile -Command exit)
  echo $(($(now) - start))
}

ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1000000 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "PowerShell: ${pwsh[*]}"
[ -z "${AFTER_ENGINE:-}" ] || echo "each probe run follows a sweep engine run, as in launches that sweep"
printf '%-6s %12s %14s %16s %14s %16s\n' run "bare ms" "5 models ms" "5,000 files ms" "floor 5 ms" "floor 5,000 ms"
: >"$work/bare"; : >"$work/small"; : >"$work/large"; : >"$work/fsmall"; : >"$work/flarge"
for run in $(seq 1 "$runs"); do
  b=$(run_bare); run_engine; s=$(run_probe "$small_payload"); run_engine; l=$(run_probe "$large_payload")
  fs=$(run_probe "$small_floor"); fl=$(run_probe "$large_floor")
  echo "$b" >>"$work/bare"; echo "$s" >>"$work/small"; echo "$l" >>"$work/large"
  echo "$fs" >>"$work/fsmall"; echo "$fl" >>"$work/flarge"
  printf '%-6s %12s %14s %16s %14s %16s\n' "$run" "$(ms "$b")" "$(ms "$s")" "$(ms "$l")" "$(ms "$fs")" "$(ms "$fl")"
done
b=$(median <"$work/bare"); s=$(median <"$work/small"); l=$(median <"$work/large")
fs=$(median <"$work/fsmall"); fl=$(median <"$work/flarge")
printf '%-6s %12s %14s %16s %14s %16s\n' median "$(ms "$b")" "$(ms "$s")" "$(ms "$l")" "$(ms "$fs")" "$(ms "$fl")"
echo "bare start-up subtracted: $(ms "$b") ms"
echo "probe's own cost, 5 models: $(ms $((s - b))) ms (goal at most 150)"
echo "probe's own cost, 5,000 files: $(ms $((l - b))) ms (goal at most 300)"
echo "floor (bench/probe_floor.ps1, the least a probe does): $(ms $((fs - b))) ms and $(ms $((fl - b))) ms"
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
