#!/usr/bin/env bash
# /L and /C on a folder of the program's own infrastructure print the
# blocked screen and end with exit code 1; a plain project folder is not
# blocked.
source "$(dirname "$0")/lib.sh"
printf 'CP_Countdown=None\r\n' > "$anchor/Vantor.ini"

blocked_screen() {  # target
  {
    printf '\r\n'
    banner_bytes
    printf '  [BLOCKED] Execution inside infrastructure folders is prohibited!\r\n'
    printf '            Target: %s\r\n\r\n' "$1"
    printf '            Restricted zones include:\r\n'
    printf "            The 'Vantor' Anchor root and all its subfolders.\r\n\r\n"
    printf '  Aborting to protect environment integrity.\r\n\r\n'
  }
}

for flag in /C /l; do
  for target in "$anchor_win\\Projects" 'D:\Work\Old_VANTOR_Sweep_copy' 'E:\p\VantorSP_UserEnv'; do
    run_vantor "$flag" "$target"
    [ "$rc" -eq 1 ] || fail "$flag $target: exit code $rc, expected 1"
    blocked_screen "$target" > "$out.expected"
    expect_same_bytes "$out.expected" "$out" "blocked screen for $flag $target"
  done
done

# The folder the job would really work on is judged: a missing folder falls
# back to the current one (the anchor here), and links made on this side
# inside drive_c, which Wine shows as links, lead into the anchor (mklink /J
# does not work under Wine). The screen names where they lead.
work="$drive_c/vantor-e2e/$test_name/Work"
mkdir -p "$work" "$anchor/Vantor_Home"
ln -s "$anchor" "$work/anchor-link"
ln -s ../Tools/Vantor/Vantor_Home "$work/home-link"
work_win="C:\\vantor-e2e\\$test_name\\Work"
for case in "C:\\no\\such\\folder|$anchor_win" "$work_win\\anchor-link|$anchor_win" \
  "$work_win\\home-link|$anchor_win\\Vantor_Home" \
  "$(printf '%s' "$work_win" | tr a-z A-Z)\\HOME-LINK|$anchor_win\\Vantor_Home"; do
  run_vantor /C "${case%%|*}"
  [ "$rc" -eq 1 ] || fail "/C ${case%%|*}: exit code $rc, expected 1"
  blocked_screen "${case##*|}" > "$out.expected"
  expect_same_bytes "$out.expected" "$out" "blocked screen for /C ${case%%|*}"
done

# Outside the infrastructure nothing is blocked, not even from inside the
# anchor through a link to a project.
mkdir -p "$drive_c/vantor-e2e/$test_name/Project"
ln -s ../Project "$work/project-link"
run_vantor /C "$work_win\\project-link"
[ "$rc" -eq 0 ] || fail "/C on a link to a project: exit code $rc"
grep -q 'BLOCKED' "$out" && fail "/C on a link to a project printed the blocked screen"
run_vantor /R "$anchor_win"
[ "$rc" -eq 0 ] || fail "/R is not guarded, got exit code $rc"
grep -q 'BLOCKED' "$out" && fail "/R printed the blocked screen"
echo ok
