#!/usr/bin/env bash
# An unknown flag with piped (closed) input shows the menu and leaves it as
# Q; the program refuses to run from an archive unpacked into Temp.
source "$(dirname "$0")/lib.sh"
printf 'CP_Countdown=None\r\n' > "$anchor/Vantor.ini"

# A payload that a killed run left in the temporary folder goes at the next
# start; no process has an id that large.
temp_win=$(wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')
temp_unix=$(winepath -u "$temp_win" 2>/dev/null)
mkdir -p "$temp_unix"
printf 'x' > "$temp_unix/Vantor_Payload_40000000.ps1"

run_vantor /X
[ ! -e "$temp_unix/Vantor_Payload_40000000.ps1" ] || fail "a dead run's payload stayed"
[ "$rc" -eq 0 ] || fail "menu exit code $rc, output ending: $(tail -c 300 "$out" | od -c | tail -n 12)"
grep -qa 'Interactive Options:' "$out" || fail "no menu shown"
grep -qa "Vantor Anchor Dir  : $(printf '%s' "$anchor_win" | sed 's/\\/\\\\/g')" "$out" ||
  fail "anchor folder not shown"
tail -c 46 "$out" | grep -qa 'Press a key to proceed \[S, M, A, U, H, Q\]: Q' ||
  fail "menu did not end on Q: $(tail -c 60 "$out" | od -c)"

# The same program inside the Wine user's temporary folder, as 7-Zip
# unpacks it when opened from an archive.
mkdir -p "$temp_unix/7zO123"
cp "$exe" "$temp_unix/7zO123/Vantor.exe"
printf 'CP_Countdown=None\r\n' > "$temp_unix/7zO123/Vantor.ini"
set +e
(cd "$temp_unix/7zO123" && wine "$temp_win\\7zO123\\Vantor.exe" /R </dev/null >"$out" 2>/dev/null)
rc=$?
set -e
rm -rf "$temp_unix/7zO123"
[ "$rc" -eq 1 ] || fail "archive guard exit code $rc"
{
  printf '\r\n'
  banner_bytes
  printf '  [!] EXECUTION ERROR: Running directly from a ZIP file.\r\n\r\n'
  printf '      Vantor cannot establish a stable environment in a temporary folder.\r\n\r\n'
} > "$out.expected"
expect_same_bytes "$out.expected" "$out" "archive guard screen"
echo ok
