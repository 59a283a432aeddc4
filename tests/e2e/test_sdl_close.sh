#!/usr/bin/env bash
# The SDL build fullscreen: Yes switches a 640x480 display to the game's window; closing it ends with code 0.
. "$(dirname "$0")/lib.sh"

start_xvfb 640x480x24
start_game

box=$(wait_for_window "Start FullScreen?" 10) || fail "the start question did not appear"
xdotool key --window "$box" Return  # Return answers Yes

window=$(wait_for_window "Gorvane (3D) v0.42" 10) || fail "no game window after answering Yes"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "the fullscreen window is $size, not 640x480"

sleep 0.5
"$GORVANE_CLOSE_WINDOW" "$window" || fail "could not ask the window to close"
wait_for_exit 10
code=$GAME_CODE
[ "$code" = "0" ] || fail "closing the window ended with code $code, not 0"
echo "PASS"
