#!/usr/bin/env bash
# The SDL build in a real window. The start question shows Yes, then No, and neither Escape nor its close button
# answers it. No opens a 640x480 window with the game's caption and the cursor hidden over it; the title gives way
# to play while X is held; the arrows turn the view the way they say; Escape ends the program.
. "$(dirname "$0")/lib.sh"

# No 640x480 mode here: a Yes would bring the refused-mode question instead of the game's window.
start_xvfb 1024x768x24
start_game

box=$(wait_for_window "Start FullScreen?" 10) || fail "the start question did not appear"
sleep 0.3
xdotool key --window "$box" Escape
sleep 1
window_gone "Start FullScreen?" && fail "Escape answered the start question"
"$GORVANE_CLOSE_WINDOW" "$box" || fail "could not ask the question's window to close"
sleep 0.5
box=$(wait_for_window "Start FullScreen?" 10) || fail "closing the start question answered it"
[ "$("$GORVANE_LOOK" buttons "$box" | wc -l)" = 2 ] || fail "the start question does not show two buttons"
click_button "$box" 2  # No, on the right

window=$(wait_for_window "Gorvane (3D) v0.42" 10) || fail "no game window after clicking the right-hand button (No)"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "the window's client area is $size, not 640x480"

# Mouse look puts the pointer back to the middle of the window every frame; the cursor must not show there.
xdotool mousemove 320 240
sleep 0.5
cursor=$("$GORVANE_LOOK" cursor) || fail "could not read the cursor"
[ "$cursor" = "hidden" ] || fail "the cursor shows over the game's window"

shot title
hold_key x 0.3
sleep 0.5
shot play
cmp -s "$E2E_TMP/title.rgb" "$E2E_TMP/play.rgb" && fail "the picture did not change when X was held"

# Turning left moves what is ahead to the right of the picture, and turning right to the left.
turned Left
[ "$TURNED" -gt 0 ] || fail "the left arrow did not turn the view to the left"
turned Right
[ "$TURNED" -lt 0 ] || fail "the right arrow did not turn the view to the right"

hold_key Escape 0.3
wait_for_exit 10
code=$GAME_CODE
[ "$code" -lt 128 ] || fail "the game died with status $code"
window_gone "Gorvane (3D) v0.42" || fail "the window is still there"
echo "PASS: exit code $code"
