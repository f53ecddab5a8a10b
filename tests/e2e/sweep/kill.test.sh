#!/usr/bin/env bash
# Power cuts: `vantor /C` on about 10,000 files and `vantor /R` on the bin are
# killed (kill -9 on the whole process group) at chosen moments; one more run
# follows. Then every file must be in its folder or in the bin with exactly one
# log line, every log line whole, and nothing half-moved left anywhere.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# A process that outlived its group's kill must not write into the folder
# while it is removed.
cleanup() {
  if [ "$failures" -ne 0 ]; then echo "left in $work"; return; fi
  pkill -9 -f -- "$work" 2>/dev/null || true
  for _ in 1 2 3 4 5; do rm -rf "$work" 2>/dev/null && return; sleep 0.5; done
  rm -rf "$work"
}
trap cleanup EXIT

log="$bin/Vantor_Sweep.log"
proj="$work/proj one"
mirror="$bin/${proj#/}"
printf 'CP_Countdown=None\r\nCP_Launch_Sweep=Yes\r\nCP_Keep_N=1\r\nCP_Max_Days=14\r\nCP_Clutter=*.tmp\r\n' >"$anchor/Vantor.ini"

# 7,000 clutter files and 1,000 models of three iterations: 9,000 to move.
new_project() {
  mkdir -p "$proj"
  (
    cd "$proj"
    for i in $(seq -w 1 7000); do printf 'clutter %s' "$i" >"c$i.tmp"; done
    for i in $(seq -w 1 1000); do
      for v in 1 2 3; do printf 'model %s.%s' "$i" "$v" >"m$i.prt.$v"; done
    done
  )
}

# Starts the program in a session of its own, so its group can be killed whole.
start() { setsid env PATH="$work/wrap:$PATH" VANTOR_E2E_PICK="$1" "$anchor/vantor" "${@:2}" </dev/null >>"$work/out" 2>&1 & echo $!; }
run() { env PATH="$work/wrap:$PATH" VANTOR_E2E_PICK="$1" "$anchor/vantor" "${@:2}" </dev/null >>"$work/out" 2>&1 || true; }
moved() { local n=0; [ -d "$mirror" ] && n=$(find "$mirror" -maxdepth 1 -type f | wc -l); echo "$n"; }
back() { find "$proj" -maxdepth 1 -type f | wc -l; }

# Waits until `condition` holds (or the program ended), then kills the group.
kill_when() {
  local pid=$1 moment=$2 condition=$3
  # Counting files costs the machine time the program needs: look less often.
  local pause=0.02
  [[ $condition == *'$('* ]] && pause=0.25
  while kill -0 "$pid" 2>/dev/null && ! eval "$condition"; do sleep "$pause"; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 -- "-$pid" 2>/dev/null || true
    # Checked only once every process of the group is gone.
    while pgrep -g "$pid" >/dev/null; do sleep 0.05; done
    echo "killed $moment"
  else
    echo "ended before $moment could be reached"
  fi
  wait "$pid" 2>/dev/null || true
}

# Every file is in the project or in the bin with exactly one file line (a
# file displaced by a restore: both versions kept, the bin one under a
# "(displaced ...)" name with a line of its own); every line is whole; no
# journal or half-moved file is left.
check() {
  local label=$1 displaced=${2:-0}
  [ -f "$log" ] || { fail "$label: no log"; return; }
  local bad
  bad=$(tr -d '\r' <"$log" | grep -cvE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} \| (SWEEP - [0-9]+ Models, [0-9]+ Clutter +\| .*|[^|]+ \| [^|]+ \| \([0-9.]+ [KMG]?B\)( \[Clutter\])?)$' || true)
  [ "$bad" -eq 0 ] || fail "$label: $bad log lines are not whole"
  [ "$(grep -c $'\r$' "$log")" -eq "$(wc -l <"$log")" ] || fail "$label: a log line lacks its CR LF"
  local leftovers
  leftovers=$(find "$work" \( -name '*.journal' -o -name '*.restoring' -o -name '*.partial' -o -name '*.tmp.*' -o -name 'Vantor_Sweep.log.*.tmp' -o -name '*.vtmp*' \) | head -3)
  [ -z "$leftovers" ] || fail "$label: left behind: $leftovers"
  local report
  report=$(
    tr -d '\r' <"$log" | awk -F' [|] ' -v folder="$proj" 'NF == 4 { gsub(/ +$/, "", $2); gsub(/ +$/, "", $3); sub(/ \(displaced [^)]*\)/, "", $2); if ($3 == folder) n[$2]++ }
      END { for (k in n) print k, n[k] }' | sort >"$work/lines"
    # A displaced file counts under its own name, wherever it is now.
    cd "$proj" && find . -maxdepth 1 -type f -printf '%f in\n' | sed 's/ (displaced [^)]*)//' >"$work/where"
    [ -d "$mirror" ] && (cd "$mirror" && find . -maxdepth 1 -type f -printf '%f bin\n' | sed 's/ (displaced [^)]*)//' >>"$work/where")
    awk -v displaced="$displaced" '
      FNR == NR { lines[$1] = $2; next }
      { seen[$1]++; place[$1] = $2 }
      END {
        for (f in seen) {
          twice = displaced && f ~ /^c(696[1-9]|69[7-9][0-9]|7000)\.tmp$/
          if (seen[f] != 1 + twice) { print seen[f] " copies: " f; continue }
          if (twice) { if (lines[f] < 1) print "displaced file without a log line: " f; continue }
          if (place[f] == "bin" && lines[f] != 1) print "bin copy with " (lines[f] + 0) " log lines: " f
        }
        for (i = 1; i <= 7000; i++) { f = sprintf("c%04d.tmp", i); if (!(f in seen)) print "lost: " f }
        for (i = 1; i <= 1000; i++) for (v = 1; v <= 3; v++) { f = sprintf("m%04d.prt.%d", i, v); if (!(f in seen)) print "lost: " f }
      }' "$work/lines" "$work/where" | head -5
  )
  [ -z "$report" ] || fail "$label: $report"
  # Byte for byte: every file still holds what it was made with.
  local wrong
  wrong=$( (cd "$proj" && grep -L -E '^(clutter|model)' -- * 2>/dev/null; [ -d "$mirror" ] && cd "$mirror" && grep -L -E '^(clutter|model)' -- * 2>/dev/null) | head -3 || true)
  [ -z "$wrong" ] || fail "$label: changed contents: $wrong"
}

# One sweep, cut three times: before its first move, half way through, and
# while it writes the log. Each next run folds what the last one left.
new_project
for cut in 'before the first move|compgen -G "$bin/Vantor_Sweep.log.*.journal" >/dev/null' \
  'after 3,000 moves|[ "$(moved)" -ge 3000 ]' \
  'after the last move, while it writes the log|[ "$(moved)" -ge 9000 ]'; do
  kill_when "$(start '' /C "$proj")" "${cut%%|*}" "${cut#*|}"
done
run '' /C "$proj"
check "sweep killed three times, then run once more"

# A restore of everything, cut half way and again among files that displace
# newer ones of their name; then the restore window is opened once more.
for i in $(seq 6961 7000); do printf 'clutter new %s' "$i" >"$proj/c$i.tmp"; done
for cut in 'after 2,000 files came back|[ "$(back)" -ge 3000 ]' \
  'among the displaced files|compgen -G "$mirror/* (displaced *" >/dev/null'; do
  kill_when "$(start '*' /R)" "${cut%%|*}" "${cut#*|}"
done
run '' /R
check "restore killed twice, then opened once more" 1

echo "$failures failures"
[ "$failures" -eq 0 ]
