#!/usr/bin/env bash
# The SDL build in a real window. The start question shows Yes, then No, and neither its close button nor Escape
# answers it. No opens a 640x480 window with the game's caption and the cursor hidden over it; the title gives way
# to play while X is held; the arrows turn the view the way they say; Escape ends the program.
. "$(dirname "$0")/lib.sh"

# True once either the start question or the game's window shows, one not seen before.
question_or_game() { unseen_window "Start FullScreen?" >/dev/null || unseen_window "$GAME_CAPTION" >/dev/null; }

# Asks the start question in window $box to close after sending it KEYS (if any), and fails unless the question is
# asked again (its new window in $box): the box takes what it is sent in order, so the question again shows that
# the keys were taken and did not answer it, where the game's window would show that they did.
asked_again_after() {
  local what=$1
  shift
  mark_window "$box"
  [ $# -gt 0 ] && xdotool key --window "$box" "$@"
  # Fails when the keys have already taken the box away; what shows next tells.
  "$GORVANE_CLOSE_WINDOW" "$box" 2>/dev/null
  wait_until "$E2E_WAIT" question_or_game || fail "neither the start question again nor the game's window after $what"
  unseen_window "$GAME_CAPTION" >/dev/null && fail "$what answered the start question"
  box=$(wait_for_box "Start FullScreen?") || fail "the start question asked again shows no buttons"
}

# No 640x480 mode here: a Yes would bring the refused-mode question instead of the game's window.
start_xvfb 1024x768x24
start_game

box=$(wait_for_box "Start FullScreen?") || fail "the start question did not appear"
[ "$("$GORVANE_LOOK" buttons "$box" | wc -l)" = 2 ] || fail "the start question does not show two buttons"
asked_again_after "closing it"
asked_again_after "Escape, then closing it," Escape
click_button "$box" 2  # No, on the right

window=$(wait_for_window "$GAME_CAPTION") || fail "no game window after clicking the right-hand button (No)"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "the window's client area is $size, not 640x480"

# Mouse look puts the pointer back to the middle of the window every frame; the cursor must not show there.
xdotool mousemove 320 240
cursor_hidden() { [ "$("$GORVANE_LOOK" cursor)" = hidden ]; }
wait_until "$E2E_WAIT" cursor_hidden || fail "the cursor shows over the game's window"

leave_title "$window"
# Turning left moves what is ahead to the right of the picture, and turning right to the left.
turned Left "$window"
[ "$TURNED" = left ] || fail "the left arrow did not turn the view to the left"
turned Right "$window"
[ "$TURNED" = right ] || fail "the right arrow did not turn the view to the right"

escape_to_end
code=$GAME_CODE
[ "$code" -lt 128 ] || fail "the game died with status $code"
wait_until "$E2E_WAIT" window_gone "$GAME_CAPTION" || fail "the window is still there"
echo "PASS: exit code $code"
