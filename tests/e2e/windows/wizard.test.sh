#!/usr/bin/env bash
# The migration wizard drawn and driven for real under Wine.
source "$(dirname "$0")/lib.sh"
run_scenario 420 "$repo/tests/e2e/windows/wizard.ps1" "$scratch_win"
