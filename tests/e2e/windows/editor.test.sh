#!/usr/bin/env bash
# The settings editor drawn and driven for real under Wine.
source "$(dirname "$0")/lib.sh"
run_scenario 420 "$repo/tests/e2e/windows/editor.ps1" "$scratch_win"
