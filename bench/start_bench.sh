#!/usr/bin/env bash
# How long a start takes that only draws the menu and leaves, with an empty
# temporary folder and with one of many files: every start looks there for
# payload files that killed runs left behind.
#
#   bench/start_bench.sh [files] [runs]     VANTOR_LINUX=path to use another build
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${VANTOR_LINUX:-$root/build/linux/vantor}"
files="${1:-10000}"
runs="${2:-50}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/anchor" "$work/empty" "$work/crowded"
cp "$program" "$work/anchor/vantor"
printf 'CP_Countdown=None\r\n' >"$work/anchor/Vantor.ini"
(cd "$work/crowded" && seq 1 "$files" | sed 's/$/.tmp/' | xargs touch)

median_ms() {  # temp folder
  local times=()
  for _ in $(seq 1 "$runs"); do
    local start=$(date +%s%N)
    TMPDIR="$1" "$work/anchor/vantor" /X </dev/null >/dev/null 2>&1 || true
    times+=($(( $(date +%s%N) - start )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.2f", a[int((NR+1)/2)]/1e6}'
}

echo "start, empty temporary folder:        $(median_ms "$work/empty") ms (median of $runs)"
echo "start, $files files in the temporary folder: $(median_ms "$work/crowded") ms (median of $runs)"
