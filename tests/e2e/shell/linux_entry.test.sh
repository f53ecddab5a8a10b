#!/usr/bin/env bash
# build/linux/vantor end to end: guards, exit codes, the menu driven by
# piped keys, and the manual written out by the Help key.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../../.." && pwd)
program=${VANTOR_LINUX:-$repo/build/linux/vantor}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
anchor=$work/Tools/Vantor
mkdir -p "$anchor" "$work/Project"
cp "$program" "$anchor/vantor"
printf 'CP_Countdown=None\r\n' > "$anchor/Vantor.ini"
fail() { echo "FAIL: $*" >&2; exit 1; }
rule() { printf '%s' "$1"; printf "$2%.0s" $(seq 60); printf '%s' "$3"; }
banner() {
  printf '  '; rule $'\xC9' '\xCD' $'\xBB'; printf '\n'
  printf '  \xBA Vantor Env Manager Utility - v5.3%25s \xBA\n' ''
  printf '  '; rule $'\xC8' '\xCD' $'\xBC'; printf '\n\n'
}

# A folder inside the anchor is refused with the blocked screen and exit 1.
set +e
(cd "$work" && "$anchor/vantor" /c "$anchor/Vantor_Home/x" </dev/null >"$work/out")
rc=$?
set -e
[ "$rc" -eq 1 ] || fail "blocked run ended with $rc"
{
  printf '\n'; banner
  printf '  [BLOCKED] Execution inside infrastructure folders is prohibited!\n'
  printf '            Target: %s\n\n' "$anchor/Vantor_Home/x"
  printf '            Restricted zones include:\n'
  printf "            The 'Vantor' Anchor root and all its subfolders.\n\n"
  printf '  Aborting to protect environment integrity.\n\n'
} > "$work/expected"
cmp "$work/expected" "$work/out" || fail "blocked screen bytes differ"

# The current folder is guarded when no folder is given.
set +e
(cd "$anchor" && "$anchor/vantor" /L </dev/null >/dev/null)
rc=$?
set -e
[ "$rc" -eq 1 ] || fail "/L from inside the anchor ended with $rc"

# Piped keys drive the menu: an unlisted key redraws, H writes the manual, Q leaves.
manual=$anchor/Vantor_Home/Documentation/Vantor_Env_Mgr_Read_Me.pdf
printf 'xhq' | (cd "$work" && "$anchor/vantor" -L "$work/Project" >"$work/menu") ||
  fail "menu run failed"
cmp -s "$manual" "$repo/resources/templates/Vantor_Env_Mgr_Read_Me.pdf" ||
  fail "manual differs from the embedded one"
[ "$(grep -c 'Interactive Options:' "$work/menu")" -eq 3 ] || fail "expected three menu screens"
grep -q '\[S, M, A, U, H, Q\]: H' "$work/menu" || fail "H not echoed"
tail -c 3 "$work/menu" | grep -q 'Q' || fail "menu did not end on Q"
echo ok
