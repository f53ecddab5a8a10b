# Shared set-up for the window tests: the PowerShell windows drawn for real by
# winhost (tests/winhost, built by scripts/build-winhost) under Wine, on a
# virtual X display. Each test runs one scenario script with a time limit.
set -euo pipefail
export WINEDEBUG=-all
# The host's runtime needs this under Wine 8 ("Internal CLR error" otherwise).
export DOTNET_EnableWriteXorExecute=0
unset WINEDLLOVERRIDES
export WINEPREFIX="${VANTOR_WINEPREFIX:-$HOME/.cache/vantor-wine-prefix}-forms"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
host="$repo/build/winhost/winhost.exe"
[ -f "$host" ] || { echo "missing $host: run scripts/build-winhost" >&2; exit 1; }
for tool in Xvfb wine wineserver; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps" >&2; exit 1; }
done

# A fresh prefix has no font GDI+ can use: Wine's own Tahoma will do.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
cp -n /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

# A display of our own: the first free number from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
# Keep one server for all the runs of this test (one may be running already).
wineserver -p 2>/dev/null || true
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

test_name=$(basename "$0" .test.sh)
scratch_win="C:\\vantor-windows\\$test_name"
scratch="$WINEPREFIX/drive_c/vantor-windows/$test_name"
rm -rf "$scratch"
mkdir -p "$scratch"

# winpath /linux/path: the same path as the Windows side sees it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Runs a scenario script in the host; a hung window is stopped at the time
# limit after showing what the scenario had printed so far.
run_scenario() {  # seconds script.ps1 [argument ...]
  local limit=$1 script=$2
  shift 2
  local rc=0
  set +e
  timeout -k 5 "$limit" wine "$host" "$(winpath "$script")" "$@" > >(grep -v 'FS volume label') 2>&1
  rc=$?
  set -e
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "FAIL: $(basename "$script") hit its time limit of $limit s" >&2
  fi
  return "$rc"
}
