#!/usr/bin/env bash
# The SDL build in a real window: No to the start question opens a 640x480 window with the game's caption; the
# title gives way to play while X is held; Escape ends the program.
. "$(dirname "$0")/lib.sh"

start_xvfb 640x480x24
start_game

box=$(wait_for_window "Start FullScreen?" 10) || fail "the start question did not appear"
xdotool key --window "$box" Escape  # Escape answers No

window=$(wait_for_window "Gorvane (3D) v0.42" 10) || fail "no game window after answering No"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "the window's client area is $size, not 640x480"

sleep 0.5
import -window root -depth 8 "rgb:$E2E_TMP/title.rgb"
hold_key x 0.3
sleep 0.5
import -window root -depth 8 "rgb:$E2E_TMP/play.rgb"
cmp -s "$E2E_TMP/title.rgb" "$E2E_TMP/play.rgb" && fail "the picture did not change when X was held"

hold_key Escape 0.3
wait_for_exit 10
code=$GAME_CODE
[ "$code" -lt 128 ] || fail "the game died with status $code"
window_gone "Gorvane (3D) v0.42" || fail "the window is still there"
echo "PASS: exit code $code"
