#!/usr/bin/env bash
# Vantor.exe /M: the migration wizard drawn and driven for real under Wine.
source "$(dirname "$0")/lib.sh"
run_scenario 300 "$repo/tests/e2e/windows/wizard.ps1" "$scratch_win"
