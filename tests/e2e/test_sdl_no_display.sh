#!/usr/bin/env bash
# Without a display the game says so and ends: it must not fall back to a video driver that shows nothing and run
# on in a window no one can see.
. "$(dirname "$0")/lib.sh"

unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER
start_game
wait_for_exit 60
[ "$GAME_CODE" = "0" ] || fail "the game ended with status $GAME_CODE, not 0"
grep -q "no display" "$E2E_TMP/game.log" || fail "the game did not say that there is no display"
grep -q "Window Creation Error." "$E2E_TMP/game.log" || fail "the game did not report the failed window"
echo "PASS"
