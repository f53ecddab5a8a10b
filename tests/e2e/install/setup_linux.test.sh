#!/usr/bin/env bash
# build/linux/vantor /S and /U end to end. Linux has no elevation, so /S of
# an ordinary user is the user stage: the scaffold, the migration step, the
# two desktop links (text files under $HOME/Desktop), then the refused
# elevation; /U stops without rights. The S key of the menu runs the same
# Setup. Root stands in for an administrator: its /S registers the menus and
# makes the Start Menu folder, its /U removes them again with the links.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../../.." && pwd)
program=${VANTOR_LINUX:-$repo/build/linux/vantor}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home
anchor=$work/Work/Acme/Tools
mkdir -p "$HOME/Desktop" "$anchor" "$work/cwd"
cp "$program" "$anchor/vantor"
# No PowerShell on the path: the migration wizard cannot start and says so.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
# The countdown setting of the current folder comes first.
printf 'CP_Countdown=None\r\n' > "$work/cwd/VantorSP.ini"
fail() { echo "FAIL: $*" >&2; exit 1; }
# The user stage runs as an ordinary user: as nobody when the test is root.
if [ "$(id -u)" -eq 0 ]; then
  chmod -R a+rwX "$work"
  as_user() { setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"; }
else
  as_user() { "$@"; }
fi
rule() { printf '%s' "$1"; printf "$2%.0s" $(seq 60); printf '%s' "$3"; }
box() {
  printf '\n  '; rule $'\xC9' '\xCD' $'\xBB'
  printf '\n  \xBA %-58s \xBA\n  ' "$1"
  rule $'\xC8' '\xCD' $'\xBC'; printf '\n\n'
}

setup_bytes() {  # first|again
  box 'Installing Vantor Environment Setup...'
  printf '  [INFO] Building Workspace Scaffold...\n'
  printf '      [*] Vantor_Home    : %s\n' "$anchor/Vantor_Home"
  printf '      [*] Foundation     : %s\n' "$work/Work/Acme"
  for name in Vantor_Home Settings Templates; do printf '      [+] Verified folder:  %s\n' $name; done
  if [ "$1" = first ]; then
    printf '      [+] Extracted file:   VantorSP.ini\n'
    printf '      [+] Extracted file:   Vantor.ini\n'
    printf '      [+] Extracted file:   Vantor_Env_Mgr_Read_Me.pdf (to Documentation)\n'
  fi
  printf '      [+] Directories and templates initialized.\n\n'
  printf '  [INFO] Launching Migration Wizard...\n'
  printf '      [ERROR] Migration wizard failed: this window needs PowerShell, which did not start (No such file or directory).\n'
  printf '      [-] Migration skipped. Proceeding with clean environment.\n\n'
  printf '  [INFO] Generating Personal Desktop Shortcuts...\n'
  printf '      [+] Desktop Shortcuts created.\n\n'
  printf '  [INFO] Requesting Administrator elevation for Context Menu registration...\n'
  printf '         Right-click menus were NOT registered (Elevation declined).\n\n'
  box 'Setup Complete.'
}

for run in first again; do
  (cd "$work/cwd" && as_user "$anchor/vantor" /S </dev/null >"$work/out") || fail "/S ($run) failed"
  setup_bytes $run > "$work/expected"
  cmp "$work/expected" "$work/out" || { diff <(cat -A "$work/expected") <(cat -A "$work/out"); fail "/S bytes ($run run)"; }
done
cmp -s "$anchor/Vantor.ini" "$repo/resources/templates/Vantor.ini" || fail "Vantor.ini not the template"

link() {  # arguments description icon window
  printf 'target=%s\narguments=%s\ndescription=%s\niconFile=%s\niconIndex=%s\nworkingFolder=%s\nwindowState=%s\n' \
    "$anchor/vantor" "$1" "$2" "$anchor/vantor" "$3" "$work/Work/Acme" "$4"
}
cmp <(link /L 'Vantor Launcher' 2 1) "$HOME/Desktop/Acme.lnk" || fail "launcher link"
cmp <(link /R 'Vantor Restore Utility' 0 7) "$HOME/Desktop/Vantor Restore.lnk" || fail "restore link"
[ ! -e "$HOME/.vantor-registry" ] || fail "the user stage wrote registry values"
[ ! -e "$HOME/.local/share/applications/Vantor Manager" ] || fail "the user stage made the Start Menu"

# Without rights Uninstall only asks, and stops when that fails.
(cd "$work/cwd" && as_user "$anchor/vantor" /U </dev/null >"$work/out") || fail "/U failed"
{
  printf '\n  [INFO] Administrator privileges required for uninstall. Requesting elevation...\n'
  printf '  [ABORT] Cannot remove registry keys without Administrator rights.\n'
} > "$work/expected"
cmp "$work/expected" "$work/out" || fail "/U bytes"
[ -f "$HOME/Desktop/Acme.lnk" ] || fail "/U without rights removed a link"

# The menu's S key: Setup, then the menu is left.
printf 's' | (cd "$work/cwd" && as_user "$anchor/vantor" >"$work/menu") || fail "menu run failed"
setup_bytes again > "$work/expected"
grep -qa 'Press a key to proceed \[S, M, A, U, H, Q\]: S$' "$work/menu" || fail "S not echoed"
tail -c "$(wc -c < "$work/expected")" "$work/menu" | cmp - "$work/expected" || fail "menu Setup bytes"

if [ "$(id -u)" -ne 0 ]; then
  echo "note: the administrator stage needs root and was not run"
  echo ok
  exit 0
fi
(cd "$work/cwd" && "$anchor/vantor" /S </dev/null >"$work/out") || fail "/S as root failed"
grep -q 'Vantor_Launch' "$HOME/.vantor-registry" || fail "root's /S registered no menu"
start_menu="$HOME/.local/share/applications/Vantor Manager"
[ -d "$start_menu" ] || fail "root's /S made no Start Menu folder"
printf 'notes' > "$start_menu/notes.txt"
chmod a-w "$start_menu/notes.txt"
(cd "$work/cwd" && "$anchor/vantor" /U </dev/null >"$work/out") || fail "/U as root failed"
{
  box 'Uninstalling Vantor Environment Setup...'
  printf '  [INFO] Scrubbing Right-Click menus from Registry...\n'
  printf '      [-] Registry keys completely removed.\n\n'
  printf '  [INFO] Checking for Desktop Shortcuts...\n'
  printf '      [-] Personal desktop shortcut removed.\n'
  printf '      [-] Restore desktop shortcut removed.\n'
  printf '\n  [INFO] Checking for Start Menu Folder...\n'
  printf "      [-] Start Menu folder 'Vantor Manager' removed.\n"
  box 'Uninstall Complete.'
} > "$work/expected"
cmp "$work/expected" "$work/out" || { diff <(cat -A "$work/expected") <(cat -A "$work/out"); fail "root /U bytes"; }
! grep -q 'Vantor_' "$HOME/.vantor-registry" || fail "registry values left: $(cat "$HOME/.vantor-registry")"
[ ! -e "$start_menu" ] || fail "Start Menu folder still there"
[ ! -e "$HOME/Desktop/Acme.lnk" ] && [ ! -e "$HOME/Desktop/Vantor Restore.lnk" ] || fail "desktop links left"
[ -f "$anchor/Vantor.ini" ] && [ -d "$anchor/Vantor_Home/Settings" ] || fail "/U touched the anchor folder"
echo ok
