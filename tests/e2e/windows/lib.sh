# Shared set-up for the window tests: Vantor.exe under Wine on a virtual
# 1280x720 X display, with the stand-in powershell.exe beside it that runs its
# scripts in winhost (both from tests/winhost, built by scripts/build-winhost),
# so its windows are drawn for real. Each test runs one scenario script, itself
# in winhost, with a time limit; the scenario drives the windows from outside.
set -euo pipefail
export WINEDEBUG=-all
# The host's runtime needs this under Wine 8 ("Internal CLR error" otherwise).
export DOTNET_EnableWriteXorExecute=0
unset WINEDLLOVERRIDES
export WINEPREFIX="${VANTOR_WINEPREFIX:-$HOME/.cache/vantor-wine-prefix}-forms"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
host="$repo/build/winhost/winhost.exe"
standin="$repo/build/winhost/powershell.exe"
exe=${VANTOR_EXE:-$repo/build/windows/Vantor.exe}
for file in "$host" "$standin"; do
  [ -f "$file" ] || { echo "missing $file: run scripts/build-winhost" >&2; exit 1; }
done
[ -f "$exe" ] || { echo "missing $exe: run scripts/build" >&2; exit 1; }
for tool in Xvfb wine wineserver; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps" >&2; exit 1; }
done

# A fresh prefix has no font GDI+ can use: Wine's own Tahoma will do. Marlett
# draws the title-bar buttons (both from Debian's fonts-wine).
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
  [ -f "/usr/share/wine/fonts/$font" ] || { echo "missing $font: install fonts-wine" >&2; exit 1; }
  cp -n "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# With no window manager on the display, Wine draws the title bars itself.
# A new prefix writes its user.reg only when its server ends: wait for that,
# so that the first window of a session already finds the setting.
if ! grep -qs '"Decorated"="N"' "$WINEPREFIX/user.reg"; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  wineserver -w
fi

# A display of our own: the first free number from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
# The size of a 1080p laptop screen at 150 %: every window must fit it.
Xvfb ":$display" -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
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

# What the scenarios start: Vantor.exe with the stand-in beside it; the
# stand-in finds winhost here, and winhost describes every form it shows in
# the report folder (tests/winhost/FormInspector.cs).
export VANTOR_EXE_WIN VANTOR_STANDIN VANTOR_WINHOST VANTOR_FORM_REPORT
VANTOR_EXE_WIN=$(winpath "$exe")
VANTOR_STANDIN=$(winpath "$standin")
VANTOR_WINHOST=$(winpath "$host")
VANTOR_FORM_REPORT="$scratch_win\\forms"

# With VANTOR_PICTURES (a folder) set, the scenarios ask for pictures of their
# windows: a request names the screen area, the picture answers it.
take_pictures() {  # folder
  while :; do
    for want in "$1"/*.want; do
      [ -e "$want" ] || continue
      sleep 0.7  # the last repaint
      import -window root -crop "$(cat "$want")" +repage "$1/$(basename "$want" .want).png"
      mv "$want" "${want%.want}.done"
    done
    sleep 0.2
  done
}
if [ -n "${VANTOR_PICTURES:-}" ]; then
  take_pictures "$VANTOR_PICTURES" &
  picture_pid=$!
  trap 'kill "$picture_pid" 2>/dev/null || true; cleanup' EXIT
  VANTOR_PICTURES="Z:${VANTOR_PICTURES//\//\\}"
fi

# Runs a scenario script in the host; a hung window is stopped at the time
# limit after showing what the scenario had printed so far. Wine now and then
# fails to create the first window of a session ("Error creating window
# handle"); the scenario then runs once more on a fresh scratch folder.
run_scenario() {  # seconds script.ps1 [argument ...]
  local limit=$1 script=$2
  shift 2
  local rc=0 attempt log="$scratch.log"
  for attempt in 1 2; do
    set +e
    # To a file, not a pipe: Wine's helper processes keep a pipe open.
    timeout -k 5 "$limit" wine "$host" "$(winpath "$script")" "$@" >"$log" 2>&1
    rc=$?
    grep -v 'FS volume label' "$log" || true
    set -e
    if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
      echo "FAIL: $(basename "$script") hit its time limit of $limit s" >&2
      return "$rc"
    fi
    [ "$rc" -ne 0 ] && [ "$attempt" -eq 1 ] && grep -q 'Error creating window handle' "$log" || break
    echo "note: Wine could not create a window handle; running $(basename "$script") once more"
    rm -rf "$scratch"
    mkdir -p "$scratch"
    sleep 2
  done
  return "$rc"
}
