#!/usr/bin/env bash
# The Windows build under Wine: it starts, asks the start question, opens its window and quits on Escape.
# The 32-bit program runs where the kernel can execute 32-bit code; elsewhere the 64-bit build of the same
# sources runs under 64-bit Wine, so the Windows backend is still exercised end to end.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/wine.sh"

choose_wine "${GORVANE_WIN32_EXE:-}" "${GORVANE_WIN64_EXE:-}"
start_xvfb 1024x768x24
prepare_wine_prefix
play_under_wine "$GORVANE_SOURCE_DIR/data"
echo "PASS: exit code $GAME_CODE"
