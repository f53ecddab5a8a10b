#!/usr/bin/env bash
# Vantor.exe /S and /U under Wine. Wine runs programs with administrator
# rights, so /S does the machine stage: the fifteen right-click menu values
# in the real registry and four real shell links in the Start Menu. /U takes
# them away again, with the desktop links, and a second /U finds nothing.
#
# A prefix of its own, whose desktop is a folder of its own: the shared
# prefix's desktop is the home folder of whoever runs the tests.
setup_home=${VANTOR_SETUP_HOME:-$HOME/.cache/vantor-setup-home}
export VANTOR_WINEPREFIX=${VANTOR_SETUP_WINEPREFIX:-$HOME/.cache/vantor-wine-prefix-setup}
mkdir -p "$setup_home/Desktop"
export HOME=$setup_home
# No menu entries on the Linux side for the links Wine sees being made.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
source "$(dirname "$0")/lib.sh"
printf 'CP_Countdown=None\r\n' > "$anchor/Vantor.ini"

exe_win="$anchor_win\\Vantor.exe"
appdata_win=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
start_menu="$(winepath -u "$appdata_win" 2>/dev/null)/Microsoft/Windows/Start Menu/Programs/Vantor Manager"
desktop=$(winepath -u "$(wine cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')\\Desktop" 2>/dev/null)
rm -rf "$start_menu" "$setup_home/Desktop/"*

# The header box of Setup and Uninstall.
box() {
  printf '\n  '; rule $'\xC9' '\xCD' $'\xBB'
  printf '\n  \xBA %-58s \xBA\n  ' "$1"
  rule $'\xC8' '\xCD' $'\xBC'; printf '\n\n'
}
to_crlf() { LC_ALL=C sed 's/$/\r/'; }

# The data of one registry value ("" for the default value), or nothing.
reg_value() {
  local key="HKLM\\Software\\Classes\\$1"
  local which=(/v "$2")
  [ -n "$2" ] || which=(/ve)
  wine reg query "$key" "${which[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/^    .*REG_SZ    //p'
}

expect_value() {  # key name data
  local got
  got=$(reg_value "$1" "$2")
  [ "$got" = "$3" ] || fail "HKLM\\Software\\Classes\\$1 [$2] is '$got', expected '$3'"
}

# A little-endian 32-bit field of a .lnk header.
header_field() { od -A n -t u4 -j "$2" -N 4 "$1" | tr -d ' '; }
# Whether a .lnk holds `text` as one of its counted UTF-16 strings. Wine
# counts the terminating NUL it writes as well; Windows writes neither.
has_lnk_string() {
  local pattern count=${#2}
  pattern=$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE | od -A n -t x1 | tr -s ' \n' ' ' |
    sed 's/ *$//; s/ /\\x/g')
  LC_ALL=C grep -qaP "$(printf '[\\x%02x\\x%02x]\\x00' "$count" $((count + 1)))$pattern" "$1"
}

expect_link() {  # file icon-index show-command string...
  local name=$1 file="$start_menu/$1"
  [ -f "$file" ] || fail "no $name"
  [ "$(header_field "$file" 56)" = "$2" ] || fail "$name: icon index $(header_field "$file" 56)"
  [ "$(header_field "$file" 60)" = "$3" ] || fail "$name: show command $(header_field "$file" 60)"
  shift 3
  for text in "$@"; do has_lnk_string "$file" "$text" || fail "$name lacks '$text'"; done
}

setup_bytes() {
  box 'Installing Vantor Environment Setup...'
  printf '  [INFO] Registering Right-Click menus...\n'
  printf '      [+] Registry keys configured.\n\n'
  printf '  [INFO] Generating Start Menu Shortcuts...\n'
  printf '      [+] Start Menu folder and shortcuts created.\n\n'
  box 'Setup Complete.'
}

for run in first second; do
  run_vantor /S
  [ "$rc" -eq 0 ] || fail "/S ($run run) ended with $rc"
  setup_bytes | to_crlf > "$out.expected"
  expect_same_bytes "$out.expected" "$out" "/S console bytes ($run run)"
done

# Only the machine stage ran: no scaffold and no desktop links.
[ ! -e "$anchor/Vantor_Home" ] || fail "the scaffold was built by the machine stage"
[ -z "$(ls -A "$desktop")" ] || fail "desktop links made by the machine stage"

launch="\"$exe_win\" /L"
clean="\"$exe_win\" /C"
for key in 'Directory\shell' 'Directory\Background\shell' '*\shell'; do
  expect_value "$key\\Vantor_Launch" '' 'Vantor Launcher'
  expect_value "$key\\Vantor_Launch" Icon "$exe_win,2"
done
expect_value 'Directory\shell\Vantor_Launch\command' '' "$launch \"%1\""
expect_value 'Directory\Background\shell\Vantor_Launch\command' '' "$launch \"%V\""
expect_value '*\shell\Vantor_Launch\command' '' "$launch \"%1\""
for key in 'Directory\shell' 'Directory\Background\shell'; do
  expect_value "$key\\Vantor_Clean" '' 'Vantor Cleaner'
  expect_value "$key\\Vantor_Clean" Icon "$exe_win,1"
done
expect_value 'Directory\shell\Vantor_Clean\command' '' "$clean \"%1\""
expect_value 'Directory\Background\shell\Vantor_Clean\command' '' "$clean \"%V\""
[ -z "$(reg_value '*\shell\Vantor_Clean' '')" ] || fail "files got a cleaner entry"

foundation_win="C:\\vantor-e2e\\$test_name\\Tools"
manual_win="$anchor_win\\Vantor_Home\\Documentation\\Vantor_Env_Mgr_Read_Me.pdf"
expect_link 'The CP Launcher.lnk' 2 1 'Vantor Launcher' '/L' "$foundation_win" "$exe_win"
expect_link 'Vantor Restore.lnk' 0 7 'Vantor Restore Utility' '/R' "$foundation_win" "$exe_win"
expect_link 'Vantor User Guide.lnk' 0 1 'Vantor User Guide' "$foundation_win" "$manual_win"
expect_link 'Vantor Home.lnk' 0 1 'Vantor Home Folder' "\"$anchor_win\\Vantor_Home\"" \
  "$foundation_win" 'explorer.exe'
[ "$(ls "$start_menu" | wc -l)" -eq 4 ] || fail "Start Menu holds: $(ls "$start_menu")"

# What the user stage of another copy left, and what a user added.
printf 'link' > "$desktop/Tools.lnk"
printf 'link' > "$desktop/Vantor Restore.lnk"
printf 'link' > "$desktop/Elsewhere.lnk"
printf 'notes' > "$start_menu/notes.txt"
chmod a-w "$start_menu/notes.txt"  # Wine reads it as read-only, which blocks a plain delete

uninstall_bytes() {
  box 'Uninstalling Vantor Environment Setup...'
  printf '  [INFO] Scrubbing Right-Click menus from Registry...\n'
  printf '      [-] Registry keys completely removed.\n\n'
  printf '  [INFO] Checking for Desktop Shortcuts...\n'
  if [ "$1" = first ]; then
    printf '      [-] Personal desktop shortcut removed.\n'
    printf '      [-] Restore desktop shortcut removed.\n'
  fi
  printf '\n  [INFO] Checking for Start Menu Folder...\n'
  [ "$1" = first ] && printf "      [-] Start Menu folder 'Vantor Manager' removed.\n"
  box 'Uninstall Complete.'
}

for run in first second; do
  run_vantor /U
  [ "$rc" -eq 0 ] || fail "/U ($run run) ended with $rc"
  uninstall_bytes "$run" | to_crlf > "$out.expected"
  expect_same_bytes "$out.expected" "$out" "/U console bytes ($run run)"
done

for key in 'Directory\shell\Vantor_Launch' 'Directory\Background\shell\Vantor_Launch' \
  '*\shell\Vantor_Launch' 'Directory\shell\Vantor_Clean' 'Directory\Background\shell\Vantor_Clean'; do
  ! wine reg query "HKLM\\Software\\Classes\\$key" >/dev/null 2>&1 || fail "$key is still there"
done
[ ! -e "$start_menu" ] || fail "Start Menu folder still there"
[ ! -e "$desktop/Tools.lnk" ] && [ ! -e "$desktop/Vantor Restore.lnk" ] ||
  fail "desktop links still there"
[ -f "$desktop/Elsewhere.lnk" ] || fail "a link of another folder was removed"
[ -f "$anchor/Vantor.ini" ] && [ -f "$anchor/Vantor.exe" ] || fail "the anchor folder was touched"
rm -f "$desktop/Elsewhere.lnk"
echo ok
