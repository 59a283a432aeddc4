#!/usr/bin/env bash
# A display without a 640x480 mode refuses fullscreen: the game asks to run windowed, and Yes gives a
# 640x480 window.
. "$(dirname "$0")/lib.sh"

start_xvfb 1024x768x24
# Mouse look reads the pointer from the first frame on: resting at the middle, it leaves the view facing north.
xdotool mousemove 320 240
start_game

box=$(wait_for_box "Start FullScreen?") || fail "the start question did not appear"
xdotool key --window "$box" Return
refused=$(wait_for_box "Quillo GL") || fail "the refused-mode question did not appear"
xdotool key --window "$refused" Return

window=$(wait_for_window "$GAME_CAPTION") || fail "no windowed game window"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "the window is $size, not 640x480"
# Every day frame at the start point is one picture, the one kept for the start view.
leave_title "$window"
same_as_view "$E2E_TMP/play.rgb" start "the SDL program's play frame at the start" software

"$GORVANE_CLOSE_WINDOW" "$window"
wait_for_exit
code=$GAME_CODE
[ "$code" = "0" ] || fail "closing ended with code $code"
echo "PASS"
