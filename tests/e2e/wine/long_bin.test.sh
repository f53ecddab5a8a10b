#!/usr/bin/env bash
# Vantor.exe sweeps a folder whose place in the bin lies past Windows' classic
# 260-character limit: every file arrives there and has its log line.
source "$(dirname "$0")/lib.sh"
printf 'CP_Countdown=None\r\nCP_Keep_N=1\r\nCP_Max_Days=21\r\nCP_Clutter=*.log\r\n' >"$anchor/Vantor.ini"

# About 200 characters of project folder; the mirror below the bin adds ~70.
deep="Projects"
for i in 1 2 3 4 5 6 7; do deep="$deep/Assembly line stage $i of eight"; done
project="$drive_c/vantor-e2e/$test_name/$deep"
project_win="C:\\vantor-e2e\\$test_name\\${deep//\//\\}"
mkdir -p "$project"
for name in job1.log job2.log "Tr$(printf '\xc3\xa4')ger.log" frame.asm.1 frame.asm.2 frame.asm.3; do
  printf '%s' "$name" >"$project/$name"
done

run_vantor /C "$project_win"
mirror="$anchor/Vantor_Sweep/Vantor_Drive_C/vantor-e2e/$test_name/$deep"
bin_path="$anchor_win\\Vantor_Sweep\\Vantor_Drive_C\\vantor-e2e\\$test_name\\${deep//\//\\}\\job1.log"
[ "${#bin_path}" -gt 260 ] || fail "the bin path is only ${#bin_path} characters"
[ "$(ls "$project")" = "frame.asm.3" ] || fail "left in the folder: $(ls "$project") / $(tail -c 600 "$out")"
moved=$(cd "$mirror" && ls | LC_ALL=C sort | tr '\n' ' ')
[ "$moved" = "Tr$(printf '\xc3\xa4')ger.log frame.asm.1 frame.asm.2 job1.log job2.log " ] ||
  fail "in the bin: $moved"
log="$anchor/Vantor_Sweep/Vantor_Sweep.log"
for name in job1.log job2.log "Tr$(printf '\xc3\xa4')ger.log" frame.asm.1 frame.asm.2; do
  [ "$(grep -ac "| $name  *| C:\\\\vantor-e2e\\\\$test_name\\\\Projects\\\\" "$log")" -eq 1 ] ||
    fail "no log line for $name: $(cat "$log")"
done
grep -aq "SWEEP - 2 Models, 3 Clutter" "$log" || fail "no event line: $(head -1 "$log")"
grep -aq " 3   Clutter files" "$out" || fail "report: $(cat "$out")"
echo ok
