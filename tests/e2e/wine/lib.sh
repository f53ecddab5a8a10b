# Shared set-up for the tests of Vantor.exe under Wine. Each test gets its
# own anchor folder inside one Wine prefix, made once.
set -euo pipefail
export WINEDEBUG=-all
export WINEPREFIX="${VANTOR_WINEPREFIX:-$HOME/.cache/vantor-wine-prefix}"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
exe=${VANTOR_EXE:-$repo/build/windows/Vantor.exe}
[ -f "$exe" ] || { echo "missing $exe: run scripts/build" >&2; exit 1; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi

test_name=$(basename "$0" .test.sh)
drive_c="$WINEPREFIX/drive_c"
# The anchor folder, as Wine's Windows side and as this side sees it.
anchor_win="C:\\vantor-e2e\\$test_name\\Tools\\Vantor"
anchor="$drive_c/vantor-e2e/$test_name/Tools/Vantor"
rm -rf "$drive_c/vantor-e2e/$test_name"
mkdir -p "$anchor"
cp "$exe" "$anchor/Vantor.exe"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs the copied program with its output in $out and its exit code in $rc.
run_vantor() {
  out=$(mktemp)
  set +e
  (cd "$anchor" && wine "$anchor_win\\Vantor.exe" "$@" </dev/null >"$out" 2>/dev/null)
  rc=$?
  set -e
}

# What a Windows console program writes in text mode: "\n" becomes CR LF.
crlf() { sed 's/$/\r/' | head -c -1; printf '\r\n'; }

rule() { printf '%s' "$1"; printf "$2%.0s" $(seq 60); printf '%s' "$3"; }

banner_bytes() {
  printf '  '; rule $'\xC9' '\xCD' $'\xBB'; printf '\r\n'
  printf '  \xBA Vantor Env Manager Utility - v5.3%25s \xBA\r\n' ''
  printf '  '; rule $'\xC8' '\xCD' $'\xBC'; printf '\r\n\r\n'
}

expect_same_bytes() {  # expected-file actual-file what
  cmp -s "$1" "$2" && return 0
  echo "expected:"; od -c "$1" | head -40
  echo "actual:"; od -c "$2" | head -40
  fail "$3"
}
