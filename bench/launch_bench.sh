#!/usr/bin/env bash
# How long /L takes before Creo starts, and how much of that is the
# launcher's own work rather than its PowerShell runs.
#
# Runs build/linux/vantor /L on a sample project with a stand-in Creo that
# records when it was started, and with a pwsh shim in front of the real one
# that records how long each script run took. Prints, per run and as the
# median: total (vantor started -> Creo started), scripts, and the rest.
#
#   bench/launch_bench.sh [runs]        VANTOR_LINUX=path to use another build
#                                       LAUNCH_SWEEP=Yes to sweep before each launch
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${VANTOR_LINUX:-$root/build/linux/vantor}"
runs="${1:-5}"
export PATH="$PATH:$HOME/.dotnet/tools"
real_pwsh=$(command -v pwsh) || { echo "pwsh is missing" >&2; exit 1; }

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
anchor="$work/Tools/Vantor"
project="$work/Projects/Bracket"
bin="$work/Program Files/PTC/Creo 11.0.1.0/Parametric/bin"
mkdir -p "$anchor/Vantor_Home/Settings" "$project" "$bin" "$work/shim" "$work/home"
cp "$program" "$anchor/vantor"
printf 'CP_Countdown=None\r\nCP_Launch_Sweep=%s\r\n' "${LAUNCH_SWEEP:-No}" >"$anchor/Vantor.ini"
# The sweep runs only with all of its settings; without them it is skipped.
printf 'CP_Keep_N=1\r\nCP_Max_Days=21\r\nCP_Clutter=*.log*,trail.txt.*\r\n' >>"$anchor/Vantor.ini"
scripts_per_run=1
[ "${LAUNCH_SWEEP:-No}" = Yes ] && scripts_per_run=2
printf 'master config\r\n' >"$anchor/Vantor_Home/Settings/Vantor_Config.pro"
for i in 1 2 3 4 5 6 7 8; do
  { printf '#-END_OF_UGC_HEADER\n#Creo  TM  11.0  (c) 2024\n'; head -c $((i * 40000)) /dev/zero; } >"$project/part$i.prt.$i"
done

cat >"$bin/parametric.exe" <<SCRIPT
#!/bin/sh
date +%s%N >"$work/creo.started"
SCRIPT
chmod +x "$bin/parametric.exe"

cat >"$work/shim/pwsh" <<SCRIPT
#!/bin/sh
start=\$(date +%s%N)
"$real_pwsh" "\$@"
code=\$?
echo \$(( \$(date +%s%N) - start )) >>"$work/script.times"
exit \$code
SCRIPT
chmod +x "$work/shim/pwsh"

ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1000000 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-5s %12s %12s %12s %8s\n' run "total ms" "scripts ms" "rest ms" "rest %"
: >"$work/totals"; : >"$work/scripts"; : >"$work/rests"
for run in $(seq 1 "$runs"); do
  rm -f "$work/creo.started" "$work/script.times"
  start=$(date +%s%N)
  (cd "$work" && PATH="$work/shim:$PATH" ProgramFiles="$work/Program Files" USERPROFILE="$work/home" \
    "$anchor/vantor" /L "$project" </dev/null >/dev/null 2>&1)
  for _ in $(seq 1 100); do [ -s "$work/creo.started" ] && break; sleep 0.05; done
  [ -s "$work/creo.started" ] || { echo "run $run: Creo was not started" >&2; exit 1; }
  [ "$(wc -l <"$work/script.times")" -eq "$scripts_per_run" ] ||
    { echo "run $run: expected $scripts_per_run script runs before Creo" >&2; exit 1; }
  total=$(( $(cat "$work/creo.started") - start ))
  scripts=$(awk '{ s += $1 } END { printf "%.0f", s }' "$work/script.times")
  rest=$(( total - scripts ))
  echo "$total" >>"$work/totals"; echo "$scripts" >>"$work/scripts"; echo "$rest" >>"$work/rests"
  printf '%-5s %12s %12s %12s %8s\n' "$run" "$(ms "$total")" "$(ms "$scripts")" "$(ms "$rest")" \
    "$(awk -v r="$rest" -v t="$total" 'BEGIN { printf "%.2f", 100 * r / t }')"
done
total=$(median <"$work/totals"); scripts=$(median <"$work/scripts"); rest=$(median <"$work/rests")
printf '%-5s %12s %12s %12s %8s\n' median "$(ms "$total")" "$(ms "$scripts")" "$(ms "$rest")" \
  "$(awk -v r="$rest" -v t="$total" 'BEGIN { printf "%.2f", 100 * r / t }')"
