#!/usr/bin/env bash
# End to end: build/linux/vantor /L on real folders, with stand-in Creo
# installation trees (found through ProgramFiles, the fallback root, or
# through the registry stand-in) whose parametric.exe records how it was
# started.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
program="${VANTOR_LINUX:-$root/build/linux/vantor}"
export PATH="$PATH:$HOME/.dotnet/tools"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
anchor="$work/Tools/Vantor"
ptc="$work/Program Files/PTC"
profile="$work/Users/me"
mkdir -p "$anchor/Vantor_Home/Settings" "$profile" "$work/home"
cp "$program" "$anchor/vantor"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }
expect_contains() { grep -qF -- "$2" "$1" || fail "$3: [$2] not in $1"; }

# A stand-in parametric.exe: writes where it runs, its arguments and the
# three variables Creo reads into $work/started.<version>.
make_creo() {
  local bin="${2:-$ptc}/Creo $1/Parametric/bin"
  mkdir -p "$bin"
  cat >"$bin/parametric.exe" <<SCRIPT
#!/bin/sh
record="$work/started.$1"
{ echo "cwd=\$(pwd)"; echo "args=\$*"; echo "HOME=\$HOME"; echo "WorkPath=\$WorkPath"; echo "PTC_WF_ROOT=\$PTC_WF_ROOT"; } >"\$record.tmp"
mv "\$record.tmp" "\$record"
SCRIPT
  chmod +x "$bin/parametric.exe"
}
make_creo 9.0.2.0
make_creo 11.0.1.0

# A model file whose header carries the mark of `version`.
make_model() {
  printf '#UGC:2 PART 1681 1500 2 1 0\n#-END_OF_UGC_HEADER\n#Creo  TM  %s.0  (c) 2024 by PTC Inc. All Rights Reserved. %s.0.2.0\n#USER_ID 0\n' "$2" "$2" >"$1"
}

# Runs vantor /L with `keys` on standard input; output in $work/out.
launch() {
  local keys="$1"; shift
  rm -f "$work"/started.*
  printf '%s' "$keys" | (cd "$work" && ProgramFiles="$work/Program Files" USERPROFILE="$profile" \
    HOME="$work/home" "$anchor/vantor" /L "$@" >"$work/out" 2>&1) || fail "vantor /L $* exited with $?"
}

# Waits for the stand-in Creo of `version` to have written its record.
started() {
  for _ in $(seq 1 300); do
    [ -f "$work/started.$1" ] && return 0
    sleep 0.1
  done
  return 1
}

field() { sed -n "s/^$2=//p" "$work/started.$1"; }

printf 'CP_Countdown=None\r\nCP_Launch_Sweep=No\r\n' >"$anchor/Vantor.ini"
printf 'master config\r\n' >"$anchor/Vantor_Home/Settings/Vantor_Config.pro"
printf 'master mapkeys\r\n' >"$anchor/Vantor_Home/Settings/Vantor_mapkeys.pro"
printf 'master ui\r\n' >"$anchor/Vantor_Home/Settings/Vantor_customization.ui"
printf 'my own config\r\n' >"$profile/config.pro"

echo "-- a model of the latest version, in a folder named with a quote"
project="$work/Projects/Bob's bracket"
mkdir -p "$project"
make_model "$project/bracket.prt.3" 11
launch "" "$project/bracket.prt.3"
if started 11.0.1.0; then
  expect_eq "$(field 11.0.1.0 cwd)" "$project" "working folder"
  expect_eq "$(field 11.0.1.0 args)" "bracket.prt" "model to load"
  expect_eq "$(field 11.0.1.0 HOME)" "$profile" "HOME"
  expect_eq "$(field 11.0.1.0 WorkPath)" "$anchor" "WorkPath"
  expect_eq "$(field 11.0.1.0 PTC_WF_ROOT)" "$anchor/Vantor_UserEnv" "PTC_WF_ROOT"
else
  fail "Creo 11 was not started"; cat "$work/out"
fi
expect_contains "$work/out" $'\xBA Loading bracket.prt with CP 11.0.1.0                       \xBA' "launch box bytes"
expect_contains "$work/out" "[INFO] Swept legacy config.pro to Vantor_Sweep bin." "swept config message"
expect_eq "$(cat "$profile/config.pro")" $'master config\r' "config.pro replaced by the master"
expect_eq "$(cat "$anchor/Vantor_UserEnv/.Settings/mapkeys.pro")" $'master mapkeys\r' "mapkeys created"
expect_eq "$(cat "$anchor/Vantor_UserEnv/.Settings/creo_parametric_customization.ui")" $'master ui\r' "ui created"
expect_eq "$(cat "$anchor/Vantor_Sweep$profile/config.pro")" $'my own config\r' "config.pro in the bin"
log="$anchor/Vantor_Sweep/Vantor_Sweep.log"
sed -n 1p "$log" | grep -qE "^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} \| LAUNCH - CP 11\.0\.1\.0 {15} \| $project"$'\r$' \
  || fail "launch event on top of the log: $(sed -n 1p "$log")"
sed -n 2p "$log" | grep -qF "| config.pro                          | $profile" || fail "config.pro line in the log"
sed -n 2p "$log" | grep -qF "| (15.0 B) [Clutter]" || fail "config.pro size in the log"

echo "-- Creo 9 data, Creo 9 and 11 installed: P keeps the data on Creo 9"
legacy="$work/Projects/Legacy"
mkdir -p "$legacy"
make_model "$legacy/housing.asm.2" 9
launch "xP" "$legacy"
expect_contains "$work/out" "[!] LEGACY DATA DETECTED: This folder contains CP 9 models." "legacy warning"
expect_contains "$work/out" "Select [U, P, Q]: X" "key list and echo"
expect_contains "$work/out" "[!] Invalid choice. Select [U, P, Q]: P" "invalid key"
if started 9.0.2.0; then
  expect_eq "$(field 9.0.2.0 cwd)" "$legacy" "legacy working folder"
  expect_eq "$(field 9.0.2.0 PTC_WF_ROOT)" "$legacy/VantorSP_UserEnv" "project PTC_WF_ROOT"
else
  fail "Creo 9 was not started"; cat "$work/out"
fi
grep -q $'^CP_Version_Max=9\r$' "$legacy/VantorSP.ini" || fail "version lock in VantorSP.ini"
[ -f "$legacy/config.pro" ] || fail "local config.pro"

echo "-- the locked project starts Creo 9 again without asking"
launch "" "$legacy"
started 9.0.2.0 || fail "locked project: Creo 9 not started"
expect_contains "$work/out" "[*] Special Project Folder Detected" "special project detected"
grep -qF "LEGACY DATA" "$work/out" && fail "a locked project was asked about legacy data"

echo "-- newer data stops the launch; Quit leaves everything alone"
newer="$work/Projects/Newer"
mkdir -p "$newer"
make_model "$newer/part.prt" 12
launch "" "$newer"
expect_contains "$work/out" "[!] INCOMPATIBLE DATA: This folder contains CP 12 models." "incompatible data"
old="$work/Projects/Old"
mkdir -p "$old"
make_model "$old/part.prt" 9
launch "Q" "$old"
expect_contains "$work/out" "[!] Launch aborted to protect legacy data." "quit"
sleep 0.5
ls "$work"/started.* >/dev/null 2>&1 && fail "Creo started after a stop"
[ -e "$old/VantorSP.ini" ] && fail "Quit wrote a VantorSP.ini"

echo "-- a Creo mark that names no version is asked about as pre-Creo data"
unknown="$work/Projects/Unknown"
mkdir -p "$unknown"
printf '#UGC:2 PART 1863 1500\n#-END_OF_UGC_HEADER\n#Creo  TM  Version Q-01-07  (c) 2016 by PTC Inc.\n' \
  >"$unknown/part.prt"
launch "Q" "$unknown"
expect_contains "$work/out" "[!] LEGACY DATA DETECTED: This folder contains pre-Creo models." "pre-Creo data"
sleep 0.5
ls "$work"/started.* >/dev/null 2>&1 && fail "Creo started after Quit on pre-Creo data"

echo "-- only predecessor data: every Creo may open it after the pre-Creo prompt"
wildfire="$work/Projects/Wildfire"
mkdir -p "$wildfire"
printf '#UGC:2 PART 1179 710 4 1 1 15 3000 2008040 00000233\n#-END_OF_UGC_HEADER\n#P_OBJECT 6\n@P_object 1 0\n#Pro/ENGINEER  TM  Wildfire 4.0  (c) 2008 by PTC\n' \
  >"$wildfire/frame.asm.4"
launch "U" "$wildfire"
expect_contains "$work/out" "[!] LEGACY DATA DETECTED: This folder contains pre-Creo models." "predecessor data"
started 11.0.1.0 || { fail "Creo 11 was not started for predecessor data"; cat "$work/out"; }

echo "-- no PowerShell on the path: the launch works completely"
nopath=""
IFS=: read -r -a dirs <<<"$PATH"
for dir in "${dirs[@]}"; do [ -x "$dir/pwsh" ] || nopath="$nopath${nopath:+:}$dir"; done
PATH="$nopath" command -v pwsh >/dev/null && fail "pwsh is still on the reduced path"
rm -f "$work"/started.*
(cd "$work" && PATH="$nopath" ProgramFiles="$work/Program Files" USERPROFILE="$profile" HOME="$work/home" \
  "$anchor/vantor" /L "$project/bracket.prt.3" </dev/null >"$work/out" 2>&1) || fail "vantor /L without pwsh exited with $?"
started 11.0.1.0 || { fail "no Creo started without PowerShell"; cat "$work/out"; }
expect_eq "$(field 11.0.1.0 args)" "bracket.prt" "model to load without PowerShell"
grep -qF "[ERROR]" "$work/out" && fail "a launch without PowerShell reported an error: $(cat "$work/out")"

echo "-- the registry names the installations; the fallback root is not looked at"
reg_ptc="$work/Reg PTC"
make_creo 10.0.2.0 "$reg_ptc"
printf 'SOFTWARE\\PTC\\PTC Creo Parametric\\10.0.2.0\tInstallLocation\t%s\n' \
  "$reg_ptc/Creo 10.0.2.0/Parametric" >"$work/home/.vantor-registry"
empty="$work/Projects/Empty"
mkdir -p "$empty"
launch "" "$empty"
started 10.0.2.0 || { fail "Creo 10 from the registry was not started"; cat "$work/out"; }
expect_contains "$work/out" "Launching Creo Parametric 10.0.2.0" "launch box for the registry's Creo"
rm -f "$work/home/.vantor-registry"

echo "-- master sync: added, changed and extra files"
server="$work/Server/Vantor_Home master"
mkdir -p "$server/Settings"
printf 'server config\r\n' >"$server/Settings/Vantor_Config.pro"
printf 'server mapkeys\r\n' >"$server/Settings/Vantor_mapkeys.pro"
printf 'server ui\r\n' >"$server/Settings/Vantor_customization.ui"
printf 'new\r\n' >"$server/Settings/added.txt"
touch "$anchor/Vantor_Home/extra.txt"
printf 'CP_Countdown=None\r\nCP_Launch_Sweep=No\r\nVantor_Setup_Master=%s\r\n' "$server" >"$anchor/Vantor.ini"
launch "" "$project"
started 11.0.1.0 || fail "sync launch: Creo 11 not started"
expect_contains "$work/out" "[*] Syncing Environment with Secure Master..." "sync message"
[ -f "$anchor/Vantor_Home/Settings/added.txt" ] || fail "added file not mirrored"
[ -e "$anchor/Vantor_Home/extra.txt" ] && fail "extra file not removed"
expect_eq "$(cat "$profile/config.pro")" $'server config\r' "config.pro follows the synced master"
launch "" "$project"
grep -qF "Syncing" "$work/out" && fail "an unchanged master was synced again"

echo "-- a relative target is the folder it names"
launch "" "Projects/Bob's bracket/."
started 11.0.1.0 || fail "relative target: Creo 11 not started"
sed -n 1p "$log" | grep -qF "| $project"$'\r' || fail "relative target in the log: $(sed -n 1p "$log")"

echo "-- the bin on another volume: copied across; when full, config.pro stays"
bin="$anchor/Vantor_Sweep"
if mount -t tmpfs -o size=256k tmpfs "$bin"; then
  trap 'umount "$bin"; rm -rf "$work"' EXIT
  master="$anchor/Vantor_Home/Settings/Vantor_Config.pro"
  printf 'second own config\r\n' >"$profile/config.pro"
  touch -d '2020-01-02 03:04:05' "$profile/config.pro"
  launch "" "$project"
  expect_eq "$(cat "$bin$profile/config.pro")" $'second own config\r' "config.pro copied across"
  expect_eq "$(stat -c %Y "$bin$profile/config.pro")" "$(date -d '2020-01-02 03:04:05' +%s)" \
    "the bin copy keeps its time"
  cmp -s "$profile/config.pro" "$master" || fail "config.pro not replaced after a move across"
  head -c 200k /dev/zero >"$bin/filler"
  head -c 120k /dev/zero | tr '\0' 'x' >"$profile/config.pro"
  cp "$profile/config.pro" "$work/big.pro"
  launch "" "$project"
  expect_contains "$work/out" \
    "[WARNING] Could not move config.pro to Vantor_Sweep bin (No space left on device). It was left unchanged." \
    "full bin reported with its reason"
  cmp -s "$profile/config.pro" "$work/big.pro" || fail "config.pro changed although its backup failed"
  expect_eq "$(cat "$bin$profile/config.pro")" $'second own config\r' "older bin copy intact"
  [ -z "$(find "$bin" -name '*.partial')" ] || fail "a partial copy was left in the bin"
  umount "$bin"
  trap 'rm -rf "$work"' EXIT
else
  echo "SKIPPED: the bin on a full volume (mount of a tmpfs was refused)"
fi

echo "-- CP_Creo_Cmd starts its program without any installation"
printf 'CP_Countdown=None\r\nCP_Launch_Sweep=No\r\nCP_Creo_Cmd=%s\r\n' "$ptc/Creo 9.0.2.0/Parametric/bin/parametric.exe" >"$anchor/Vantor.ini"
rm -f "$work"/started.*
printf '' | (cd "$work" && ProgramFiles="$work/none" USERPROFILE="$profile" "$anchor/vantor" /L "$newer" >"$work/out" 2>&1)
started 9.0.2.0 || { fail "CP_Creo_Cmd was not started"; cat "$work/out"; }
grep -qF "INCOMPATIBLE" "$work/out" && fail "CP_Creo_Cmd still checked the data version"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all launcher checks passed"
