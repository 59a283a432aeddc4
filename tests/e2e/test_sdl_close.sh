#!/usr/bin/env bash
# The SDL build fullscreen: Yes switches a 640x480 display to the game's window; closing it ends with code 0.
. "$(dirname "$0")/lib.sh"

start_xvfb 640x480x24
start_game

box=$(wait_for_box "Start FullScreen?") || fail "the start question did not appear"
xdotool key --window "$box" Return  # Return answers Yes

window=$(wait_for_window "$GAME_CAPTION") || fail "no game window after answering Yes"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "the fullscreen window is $size, not 640x480"

# The title drawn and still: the game is in its loop, where a close request is handled.
settled "$window" title
"$GORVANE_CLOSE_WINDOW" "$window" || fail "could not ask the window to close"
wait_for_exit
code=$GAME_CODE
[ "$code" = "0" ] || fail "closing the window ended with code $code, not 0"
echo "PASS"
