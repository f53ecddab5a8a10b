#!/usr/bin/env bash
# Keys typed on a terminal reach the menu: H writes the manual out of the
# program (over a damaged copy) and Q leaves.
source "$(dirname "$0")/lib.sh"
manual="$anchor/Vantor_Home/Documentation/Vantor_Env_Mgr_Read_Me.pdf"
mkdir -p "$(dirname "$manual")"
printf 'damaged' > "$manual"

out=$(mktemp)
printf 'hq' | (cd "$anchor" && timeout 120 script -qfec "wine '$anchor_win\\Vantor.exe'" /dev/null) >"$out" 2>&1 ||
  fail "menu under a terminal did not end: $(tail -c 200 "$out")"
cmp -s "$manual" "$repo/resources/templates/Vantor_Env_Mgr_Read_Me.pdf" ||
  fail "manual differs from the embedded one"
# Wine draws the screen with cursor moves; compare the words only.
sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' "$out" | tr -d ' ' | grep -qa 'OpeningVantorManual' ||
  fail "no opening message"
echo ok
