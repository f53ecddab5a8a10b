#!/usr/bin/env bash
# The stand-in powershell.exe of the window tests, on its own.
source "$(dirname "$0")/lib.sh"
run_scenario 120 "$repo/tests/e2e/windows/standin.ps1" "$scratch_win"
