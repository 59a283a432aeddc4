#!/usr/bin/env bash
# The asset tool's preview in a real window: in play at once at the place given, a level saved over the shown
# one appears from the same place, P writes the frame as the view command draws it, and Escape ends it.
. "$(dirname "$0")/lib.sh"

start_xvfb 640x480x24
level=$E2E_TMP/level
mkdir -p "$level" "$E2E_TMP/pictures"
cp "$GORVANE_SOURCE_DIR"/data/*.bmp "$GORVANE_SOURCE_DIR/data/world.dat" "$level/"
place=1.5,1,180,10
start_tool "$E2E_TMP/pictures" walk "$level" --at $place --tick 2

window=$(wait_for_window gorvane-assets 10) || fail "no preview window"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "the window's client area is $size, not 640x480"
hold_key t 0.1  # the tick held, so only the level changes the picture
sleep 0.5

# Within 2 units of the view, nearer than the fog hides it: as a level maker's save, the walls of the hut turn red.
sed 's/^2$/8/' "$level/world.dat" >"$level/world.new"
ms=$("$GORVANE_LOOK" change "$window" 10 "$level/world.new" "$level/world.dat") ||
  fail "the saved level did not show"
echo "the saved level showed after $ms ms"
sleep 0.3
import -window "$window" -depth 8 "$E2E_TMP/screen.png"

# Pixels further apart than a few levels: the window's colour buffer rounds a little differently from view's.
differing() { compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 >/dev/null | cut -d' ' -f1; }
"$GORVANE_ASSETS" view "$level" --at $place --tick 2 --png "$E2E_TMP/view.png" || fail "view failed"
[ "$(differing "$E2E_TMP/screen.png" "$E2E_TMP/view.png")" -lt 3000 ] ||
  fail "the window does not show the saved level from the same place"

hold_key p 0.1
for _ in $(seq 1 100); do
  grep -q walk-1.png "$E2E_TMP/tool.out" && break
  sleep 0.05
done
grep -qx "$E2E_TMP/pictures/walk-1.png: --at 1.5,1,180,10 --tick 2" "$E2E_TMP/tool.out" ||
  fail "P did not write walk-1.png at the place: $(cat "$E2E_TMP/tool.out")"
[ "$(differing "$E2E_TMP/pictures/walk-1.png" "$E2E_TMP/view.png")" -lt 3000 ] ||
  fail "the picture P wrote is not the one view draws"

hold_key Escape 0.1
wait_for_exit 10
[ "$GAME_CODE" = 0 ] || fail "the preview ended with $GAME_CODE"
window_gone gorvane-assets || fail "the window is still there"
echo "PASS"
