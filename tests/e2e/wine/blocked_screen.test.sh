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

# Outside the infrastructure nothing is blocked.
mkdir -p "$drive_c/vantor-e2e/$test_name/Project"
run_vantor /R "$anchor_win"
[ "$rc" -eq 0 ] || fail "/R is not guarded, got exit code $rc"
grep -q 'BLOCKED' "$out" && fail "/R printed the blocked screen"
echo ok
