#!/usr/bin/env bash
# The asset tool's preview in a real window: in play at once at the place given, a level saved over the shown
# one appears from the same place, P writes the frame as the view command draws it, and Escape ends it; a level
# without a scene bitmap is not shown.
. "$(dirname "$0")/lib.sh"

start_xvfb 640x480x24
level=$E2E_TMP/level
mkdir -p "$level" "$E2E_TMP/pictures"
cp "$GORVANE_SOURCE_DIR"/data/*.bmp "$GORVANE_SOURCE_DIR/data/world.dat" "$level/"
place=1.5,1,180,10
start_tool "$E2E_TMP/pictures" walk "$level" --at $place --tick 2

window=$(wait_for_window gorvane-assets) || fail "no preview window"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "the window's client area is $size, not 640x480"
# The tick held, so that only the level changes the picture. The caption lists the keys for its first seconds,
# then says where the view is, at which tick, and whether the tick is held; the cycle moves on a tick every six
# frames, so the tick it was held at is read there.
hold_until t caption_has "$window" "(held)" || fail "the caption never said that T held the tick"
tick=$(xwininfo -id "$window" | sed -n 's/.* tick \([0-9]*\) (held).*/\1/p' | head -n1)
[ -n "$tick" ] || fail "no tick in the caption: $(xwininfo -id "$window" | head -n2)"
settled "$window" before

# Within 2 units of the view, nearer than the fog hides it: as a level maker's save, the walls of the hut turn red.
sed 's/^2$/8/' "$level/world.dat" >"$level/world.new"
mv "$level/world.new" "$level/world.dat"
ms=$("$GORVANE_LOOK" changed "$window" "$E2E_WAIT" "$E2E_TMP/before.rgb") || fail "the saved level did not show"
echo "the saved level showed after $ms ms"
settled "$window" screen

"$GORVANE_ASSETS" view "$level" --at $place --tick "$tick" --png "$E2E_TMP/view.png" || fail "view failed"
verdict=$("$GORVANE_LOOK" compare preview "$E2E_TMP/screen.rgb" "$E2E_TMP/view.png") ||
  fail "the window does not show the saved level from the same place: $verdict"
echo "the window against view: $verdict"

hold_until p grep -q walk-1.png "$E2E_TMP/tool.out" || fail "P wrote no picture"
grep -qx "$E2E_TMP/pictures/walk-1.png: --at $place --tick $tick" "$E2E_TMP/tool.out" ||
  fail "P did not write walk-1.png at the place: $(cat "$E2E_TMP/tool.out")"
verdict=$("$GORVANE_LOOK" compare preview "$E2E_TMP/pictures/walk-1.png" "$E2E_TMP/view.png") ||
  fail "the picture P wrote is not the one view draws: $verdict"
echo "P's picture against view: $verdict"

escape_to_end
[ "$GAME_CODE" = 0 ] || fail "the preview ended with $GAME_CODE"
wait_until "$E2E_WAIT" window_gone gorvane-assets || fail "the window is still there"
# With a display but without a scene bitmap the game would stop at: the preview says which, and ends with 1.
rm "$level/crate.bmp"
start_tool "$E2E_TMP/pictures" walk "$level"
wait_for_exit
[ "$GAME_CODE" = 1 ] || fail "the preview of a level without crate.bmp ended with $GAME_CODE, not 1"
grep -q "no crate.bmp" "$E2E_TMP/game.log" || fail "the preview did not name crate.bmp: $(cat "$E2E_TMP/game.log")"
echo "PASS"
