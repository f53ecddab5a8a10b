#!/usr/bin/env bash
# Vantor.exe /L under Wine: a CP_Creo_Cmd batch file that records what it
# was given; then Creo installations named in the registry (wine reg add)
# and model files with real heads, so discovery, the data check and the
# legacy prompt (through a terminal) run on the real Windows build, with a
# powershell.exe beside the program that notes any call.
source "$(dirname "$0")/../wine/lib.sh"

base="$drive_c/vantor-e2e/$test_name"
base_win="C:\\vantor-e2e\\$test_name"
project="$base/Projects/Bracket"
project_win="$base_win\\Projects\\Bracket"
mkdir -p "$project" "$anchor/Vantor_Home/Settings"
printf 'part\r\n' >"$project/bracket.prt.7"
printf 'master mapkeys\r\n' >"$anchor/Vantor_Home/Settings/Vantor_mapkeys.pro"
profile_win=$(wine cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')

# Windows stand-ins built from a few lines of C.
tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
cat >"$tools/recorder.c" <<'C'
/* Stand-in parametric.exe: writes where it runs, its arguments and the
   variables Creo reads into started.txt beside itself. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
static void Beside(char* path, const char* name) {
  GetModuleFileNameA(NULL, path, MAX_PATH);
  strcpy(strrchr(path, '\\') + 1, name);
}
int main(int argc, char** argv) {
  char path[MAX_PATH], cwd[MAX_PATH];
  const char* names[] = {"HOME", "WorkPath", "PTC_WF_ROOT"};
  Beside(path, "started.txt");
  GetCurrentDirectoryA(MAX_PATH, cwd);
  FILE* out = fopen(path, "w");
  fprintf(out, "cwd=%s\nargs=", cwd);
  for (int i = 1; i < argc; ++i) fprintf(out, "%s%s", i > 1 ? " " : "", argv[i]);
  for (int i = 0; i < 3; ++i) fprintf(out, "\n%s=%s", names[i], getenv(names[i]) ? getenv(names[i]) : "");
  fprintf(out, "\n");
  fclose(out);
  return 0;
}
C
cat >"$tools/powershell.c" <<'C'
/* Stand-in powershell.exe: notes its command line. A launch must never
   call it. */
#include <windows.h>
#include <stdio.h>
#include <string.h>
int main(void) {
  char path[MAX_PATH];
  GetModuleFileNameA(NULL, path, MAX_PATH);
  strcpy(strrchr(path, '\\') + 1, "powershell_calls.txt");
  FILE* calls = fopen(path, "a");
  fprintf(calls, "%s\n", GetCommandLineA());
  fclose(calls);
  return 0;
}
C
x86_64-w64-mingw32-gcc -O2 -static -o "$tools/recorder.exe" "$tools/recorder.c"
x86_64-w64-mingw32-gcc -O2 -static -o "$tools/powershell.exe" "$tools/powershell.c"

field() { sed -n "s/^$2=//p" "$1" | tr -d '\r'; }
# The stand-ins write their record line by line and PTC_WF_ROOT last: wait
# for that line, not just the file, or a busy machine reads it half written.
wait_for() {
  for _ in $(seq 1 300); do
    grep -q '^PTC_WF_ROOT=' "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }

echo "-- CP_Creo_Cmd: a batch file started in the model's folder"
cmd_dir="$base/Creo 10.0.2.0/Parametric/bin"
mkdir -p "$cmd_dir"
cat <<'BAT' | sed 's/$/\r/' >"$cmd_dir/start.bat"
@echo off
echo cwd=%CD%> "%~dp0started.txt"
echo args=%*>> "%~dp0started.txt"
echo HOME=%HOME%>> "%~dp0started.txt"
echo WorkPath=%WorkPath%>> "%~dp0started.txt"
echo PTC_WF_ROOT=%PTC_WF_ROOT%>> "%~dp0started.txt"
BAT
printf 'CP_Countdown=None\r\nCP_Launch_Sweep=No\r\nCP_Creo_Cmd=%s\r\n' \
  "$base_win\\Creo 10.0.2.0\\Parametric\\bin\\start.bat" >"$anchor/Vantor.ini"
run_vantor /L "$project_win\\bracket.prt.7"
wait_for "$cmd_dir/started.txt" || fail "the batch file was not started: $(tail -c 300 "$out")"
expect_eq "$(field "$cmd_dir/started.txt" cwd)" "$project_win" "%CD%"
expect_eq "$(field "$cmd_dir/started.txt" args)" "bracket.prt" "arguments"
expect_eq "$(field "$cmd_dir/started.txt" HOME)" "$profile_win" "%HOME%"
expect_eq "$(field "$cmd_dir/started.txt" WorkPath)" "$anchor_win" "%WorkPath%"
expect_eq "$(field "$cmd_dir/started.txt" PTC_WF_ROOT)" "$anchor_win\\Vantor_UserEnv" "%PTC_WF_ROOT%"
{
  printf '\r\n  '; rule $'\xC9' '\xCD' $'\xBB'; printf '\r\n'
  printf '  \xBA Loading bracket.prt with CP 10.0.2.0%22s \xBA\r\n' ''
  printf '  '; rule $'\xC8' '\xCD' $'\xBC'; printf '\r\n\r\n'
  printf '      [*] To access Vantor Configuration Editor, hold [SHIFT] while launching.\r\n\r\n'
} >"$out.expected"
tail -c "$(stat -c %s "$out.expected")" "$out" >"$out.tail"
expect_same_bytes "$out.expected" "$out.tail" "launch box and hint"
[ "$(cat "$anchor/Vantor_UserEnv/.Settings/mapkeys.pro")" == $'master mapkeys\r' ] || fail "mapkeys.pro"
head -1 "$anchor/Vantor_Sweep/Vantor_Sweep.log" |
  grep -qE "^[0-9-]{10} [0-9:]{8} \| LAUNCH - CP 10\.0\.2\.0 {15} \| C:\\\\vantor-e2e\\\\$test_name\\\\Projects\\\\Bracket"$'\r$' ||
  fail "launch event: $(head -1 "$anchor/Vantor_Sweep/Vantor_Sweep.log")"

# A model head as Creo writes it: the UGC line (release number 7th), the
# end of the header, the version mark.
model_head() { # file version release
  printf '#UGC:2 PART 1681 1500 2 1 0 26 %s 2024000 00000101 \\\r\n#- VERS 0 0\r\n#-END_OF_UGC_HEADER\r\n#Creo  TM  %s.0  (c) 2024 by PTC Inc.\r\n#USER_ID 0 0\r\n' \
    "$3" "$2" >"$1"
  head -c 3000 /dev/zero >>"$1"
}

echo "-- installations from the registry: discovery starts the latest Creo, no PowerShell"
for version in 9.0.2.0 11.0.1.0; do
  mkdir -p "$base/PTC/Creo $version/Parametric/bin"
  cp "$tools/recorder.exe" "$base/PTC/Creo $version/Parametric/bin/parametric.exe"
  wine reg add "HKLM\\SOFTWARE\\PTC\\PTC Creo Parametric\\$version" /v InstallLocation /t REG_SZ \
    /d "$base_win\\PTC\\Creo $version\\Parametric" /f >/dev/null 2>&1 || fail "wine reg add $version"
done
trap 'rm -rf "$tools"; wine reg delete "HKLM\\SOFTWARE\\PTC" /f >/dev/null 2>&1 || true' EXIT
cp "$tools/powershell.exe" "$anchor/powershell.exe"
printf 'CP_Countdown=None\r\nCP_Launch_Sweep=No\r\n' >"$anchor/Vantor.ini"
started11="$base/PTC/Creo 11.0.1.0/Parametric/bin/started.txt"
started9="$base/PTC/Creo 9.0.2.0/Parametric/bin/started.txt"
model_head "$project/bracket.prt.7" 11 4100
run_vantor /L "$project_win"
wait_for "$started11" || fail "Creo 11 was not started: $(tail -c 300 "$out")"
expect_eq "$(field "$started11" cwd)" "$project_win" "Creo 11 working folder"
expect_eq "$(field "$started11" args)" "" "Creo 11 arguments"
grep -qaF 'Launching Creo Parametric 11.0.1.0' "$out" || fail "launch box for Creo 11"
[ -e "$anchor/powershell_calls.txt" ] && fail "the launch called PowerShell: $(cat "$anchor/powershell_calls.txt")"

echo "-- newer data stops the launch"
rm -f "$started11" "$started9"
model_head "$project/bracket.prt.7" 12 4300
run_vantor /L "$project_win"
printf '\r\n  [!] INCOMPATIBLE DATA: This folder contains CP 12 models.\r\n          Your active max version is limited to CP 11.\r\n\r\n  [!] CP is not backwards compatible. You cannot open newer models.\r\n' >"$out.expected"
tail -c "$(stat -c %s "$out.expected")" "$out" >"$out.tail"
expect_same_bytes "$out.expected" "$out.tail" "incompatible data message"

echo "-- legacy data without a terminal: no key can come, the launch is aborted"
model_head "$project/bracket.prt.7" 9 3900
run_vantor /L "$project_win"
grep -qaF '          Select [U, P, Q]: ' "$out" || fail "legacy prompt: $(tail -c 400 "$out")"
grep -qaF '[!] Launch aborted to protect legacy data.' "$out" || fail "closed input did not abort"
sleep 1
[ -f "$started9" ] || [ -f "$started11" ] && fail "Creo started after an aborted prompt"

echo "-- legacy data through a terminal: X is refused, P keeps Creo 9"
log=$(mktemp)
printf 'xP' | (cd "$anchor" && timeout 120 script -qfec "wine '$anchor_win\\Vantor.exe' /L '$project_win'" /dev/null) >"$log" 2>&1 ||
  fail "launch under a terminal did not end: $(tail -c 300 "$log")"
words=$(sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' "$log" | tr -d ' \r\n')
grep -qaF 'LEGACYDATADETECTED' <<<"$words" || fail "no legacy warning on the terminal"
grep -qaF 'Invalidchoice.Select[U,P,Q]:P' <<<"$words" || fail "no invalid-choice prompt on the terminal"
wait_for "$started9" || fail "Creo 9 was not started"
expect_eq "$(field "$started9" PTC_WF_ROOT)" "$project_win\\VantorSP_UserEnv" "project PTC_WF_ROOT"
grep -q $'^CP_Version_Max=9\r$' "$project/VantorSP.ini" || fail "version lock in VantorSP.ini"
rm -f "$log"
echo ok
