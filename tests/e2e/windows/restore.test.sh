#!/usr/bin/env bash
# The restore and its message boxes drawn and driven for real under Wine.
source "$(dirname "$0")/lib.sh"
run_scenario 420 "$repo/tests/e2e/windows/restore.ps1" "$scratch_win"
