#!/usr/bin/env bash
# Photographs the real SDL build where the window itself is the point: the start question and the title
# screen, fullscreen on a 640x480 screen, and the asset tool's preview window beside it (tools/gorvane-assets
# in the same build). Runs its own Xvfb; writes docs/screenshots/question.png, title.png and walk.png. The
# views of the level are drawn by the asset tool instead (scripts/views.sh): the same every time, in seconds.
# Drives the game with the end-to-end tests' steps (tests/e2e/lib.sh), so it needs their look program, built
# with the tests beside the game (tests/look in the same build).
#
#   scripts/screenshots.sh build/gorvane [OUTDIR]
here=$(cd "$(dirname "$0")/.." && pwd)
game=$(cd "$(dirname "${1:?usage: screenshots.sh path/to/gorvane [OUTDIR]}")" && pwd)/$(basename "$1")
out=${2:-$here/docs/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
GORVANE_BIN=$game
GORVANE_ASSETS=$(dirname "$game")/tools/gorvane-assets
GORVANE_LOOK=${GORVANE_LOOK:-$(dirname "$game")/tests/look}
# The caption the game of that build shows.
GORVANE_CAPTION=$(sed -n 's/^#define GORVANE_CAPTION "\(.*\)"$/\1/p' "$(dirname "$game")/include/app/version.h")
export GORVANE_BIN GORVANE_ASSETS GORVANE_LOOK GORVANE_CAPTION GORVANE_SOURCE_DIR=$here
[ -x "$GORVANE_LOOK" ] || { echo "screenshots: no $GORVANE_LOOK (build the tests too)" >&2; exit 1; }
. "$here/tests/e2e/lib.sh"

# Writes the whole screen as NAME.png once it has stopped changing.
photograph() {
  settled "$(xwininfo -root | awk '/Window id:/ {print $4}')" "$1"
  convert -size 640x480 -depth 8 "rgb:$E2E_TMP/$1.rgb" "$out/$1.png" || fail "could not write $out/$1.png"
  echo "  $1.png"
}

start_xvfb 640x480x24
start_game
box=$(wait_for_box "Start FullScreen?") || fail "the start question did not appear"
photograph question
xdotool key --window "$box" Return  # Yes: the screen is 640x480, the game's own mode
wait_for_window "$GAME_CAPTION" >/dev/null || fail "no game window after answering Yes"
xdotool mousemove 320 240
photograph title
escape_to_end

# The preview, flown about 2.5 units up over the hut's doorway with the collision shown: the tick held, C, F,
# then Page Up until the caption says so.
[ -x "$GORVANE_ASSETS" ] || exit 0
start_tool "$E2E_TMP" walk "$here/data" --at 1.5,9,0,35 --tick 20
window=$(wait_for_window gorvane-assets) || fail "no preview window"
hold_until t caption_has "$window" "(held)" || fail "T did not hold the tick"
hold_until c caption_has "$window" "collision shown" || fail "C did not show the collision"
hold_until f caption_has "$window" "flying" || fail "F did not start the flight"
flown_up() {
  xwininfo -id "$window" | sed -n 's/.*flying \([-0-9.]*\) up.*/\1/p' | awk 'NR == 1 {up = $1 >= 2.5} END {exit !up}'
}
hold_until Prior flown_up || fail "Page Up did not rise"
photograph walk
echo "  (the preview's caption: $(xwininfo -id "$window" | sed -n 's/^xwininfo: Window id: [^ ]* "\(.*\)"$/\1/p'))"
escape_to_end
