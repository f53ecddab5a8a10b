#!/usr/bin/env bash
# SHIFT at Vantor.exe /C and /L: the settings editor drawn and driven for real
# under Wine.
source "$(dirname "$0")/lib.sh"
run_scenario 400 "$repo/tests/e2e/windows/editor.ps1" "$scratch_win"
