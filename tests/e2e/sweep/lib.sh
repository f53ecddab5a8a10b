# Shared set-up of the sweep end-to-end scripts: a work folder with an anchor
# holding the program, `fail` to count failures, and a pwsh wrapper whose
# restore list is played by a stand-in user. Sourced; the caller sets its own EXIT trap.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
program="${VANTOR_LINUX:-$root/build/linux/vantor}"
export PATH="$PATH:$HOME/.dotnet/tools" TERM=dumb
real_pwsh=$(command -v pwsh) || { echo "error: pwsh is not installed"; exit 1; }

work=$(mktemp -d)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

anchor="$work/anchor"
bin="$anchor/Vantor_Sweep"
mkdir -p "$anchor" "$work/wrap"
cp "$program" "$anchor/vantor"

# The stand-in user of the restore list picks every row when VANTOR_E2E_PICK
# is "*" and none otherwise; only the script fed through standard input gets it.
cat >"$work/wrap/pwsh" <<WRAP
#!/bin/bash
if [ "\${@: -1}" = "-" ]; then
  { echo '\$VantorPickerStandIn = { param(\$Rows) if (\$env:VANTOR_E2E_PICK -eq "*") { foreach (\$r in \$Rows) { \$r.Row } } }'; cat; } | '$real_pwsh' "\$@"
  exit \$?
fi
exec '$real_pwsh' "\$@"
WRAP
chmod 755 "$work/wrap/pwsh"
