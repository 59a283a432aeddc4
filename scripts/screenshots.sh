#!/usr/bin/env bash
# Photographs the real SDL build playing the shipped level: the title screen, the start in the hut, the view
# out of the doorway, the yard, dusk, night and the waterfall. Runs its own Xvfb; writes docs/screenshots/*.png.
#
#   scripts/screenshots.sh build/gorvane [OUTDIR]
#
# The walk is steered by the level's own collision: the player is pushed to exact box edges, and turns are
# made with the mouse (the game turns 0.05 degrees per pixel and puts the pointer back to 320,240 every
# frame), so headings are exact whatever the frame rate. Walking distances are timed and so approximate (a
# loaded machine may run the game at half its 50 frames a second): most walks are held long enough to end
# against a wall or a box at any frame rate, and the few timed ones only choose a viewpoint. The times of
# day are read from the sky's colour, not from the clock.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
game=$(cd "$(dirname "${1:?usage: screenshots.sh path/to/gorvane [OUTDIR]}")" && pwd)/$(basename "$1")
out=${2:-$here/docs/screenshots}
mkdir -p "$out"
tmp=$(mktemp -d)
xvfb_pid="" game_pid=""
cleanup() {
  # Each step on its own: a game that has already gone must not keep the X server running.
  if [ -n "$game_pid" ]; then kill "$game_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

exec 5>"$tmp/display"
Xvfb -displayfd 5 -screen 0 640x480x24 -nolisten tcp -noreset -r >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 5>&-
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$tmp/display")"

window_named() {
  for _ in $(seq 200); do
    id=$(xwininfo -root -children 2>/dev/null | awk -v n="\"$1\"" 'index($0, n) {print $1; exit}')
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  echo "no window named $1" >&2
  return 1
}
shot() { import -window root "$out/$1.png"; echo "  $1.png"; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.1; }
pointer_x() { xdotool getmouselocation | sed 's/^x:\([0-9]*\) .*/\1/'; }
# Turns left by the given whole degrees (negative: right), 15 degrees a frame at most.
turn() {
  local left=$1 step
  while [ "$left" != 0 ]; do
    step=$left
    [ "$step" -gt 15 ] && step=15
    [ "$step" -lt -15 ] && step=-15
    xdotool mousemove $((320 - step * 20)) 240
    # The move reaches the server asynchronously: wait until it shows (or 0.1 s, when the game was quicker),
    # then until the game has read the pointer and put it back, so each move turns exactly once and the next
    # move is never lost on a pointer that has not come back yet.
    for _ in $(seq 10); do
      [ "$(pointer_x)" != 320 ] && break
      sleep 0.01
    done
    for _ in $(seq 100); do
      [ "$(pointer_x)" = 320 ] && break
      sleep 0.01
    done
    left=$((left - step))
  done
}
# The time of day from the sky: the red of a pixel at the top of the view (the sky must show there) is 153 by
# day, falls through dusk to 51 at night and rises again through dawn.
sky_red() { import -window root -crop 1x1+320+3 -depth 8 txt:- | sed -n '2s/^[^(]*(\([0-9]*\),.*/\1/p'; }
# Waits (90 s at most) until the sky's red compares with the value as asked (-le, -ge).
wait_sky() {
  for _ in $(seq 300); do
    [ "$(sky_red)" "$1" "$2" ] && return 0
    sleep 0.3
  done
  echo "the sky never reached $1 $2" >&2
  return 1
}
wait_day() { wait_sky -ge 152; }               # ticks 120 to 49
wait_dusk() { wait_day; wait_sky -le 100; }    # the first tick of dusk with red at most 100: about tick 60
wait_night() { wait_sky -le 52; }              # ticks 69 to 99

cd "$here/data"
SDL_AUDIODRIVER=dummy "$game" >"$tmp/game.log" 2>&1 &
game_pid=$!
box=$(window_named "Start FullScreen?")
xdotool key --window "$box" Return  # Yes: the screen is 640x480, the game's own mode
window_named "Gorvane (3D) v0.42" >/dev/null
xdotool mousemove 320 240
sleep 1.0
shot title

hold x 0.3
sleep 0.6
shot start                 # at (0, 0) facing north: crates along the hut's north wall

turn -90; hold Up 0.5      # east into the hut's east wall: pushed back to x = 2 exactly
turn -90                   # facing south down the doorway strip (x 1 to 2)
sleep 0.3
shot doorway

hold Up 2.0                # out through the doorway, south to the boundary at z = 18
turn 180                   # face the hut across the lane
wait_dusk
shot dusk

turn 90; hold Up 1.8       # west, to the yard's east wall (rule 8 holds x at -10)
turn -90; hold Up 1.2      # north past the yard's corner (anywhere below z = 10 will do)
turn 90; hold Up 1.8       # west to the boundary at x = -18
turn 90; hold Up 2.5       # south along the boundary, to the yard wall (rule 6 holds z at 8)
turn 10; hold Up 2.0       # a little east of south: slide along the wall into the gateway, on to the south end
turn 150                   # face north-north-east across the yard, towards the crates
wait_night
shot night
wait_day
sleep 0.3
shot yard

turn 110; hold Up 1.5      # west, to the boundary at x = -18
turn -100; hold Up 1.2     # a little east of north: slide along the wall (rule 6 holds z at 12) and out
turn 10; hold Up 9.0       # north to the boundary's end at z = -68
turn -90; hold Up 2.0      # east, to the west rock (rule 10 holds x at -6)
turn -90; hold Up 0.6      # south, clear of the rocks
turn 90; hold Up 0.3       # east, in front of the falls
turn 90                    # facing north, the sky over the rocks
hold Down 0.3
wait_day
hold Up 1.0                # to the foot of the falls (rule 9 holds z at -58)
hold Down 0.3              # and back a few steps
shot waterfall

xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
for _ in $(seq 100); do
  if ! kill -0 "$game_pid" 2>/dev/null; then
    game_pid=""  # it quit by itself; otherwise the clean-up ends it
    break
  fi
  sleep 0.05
done
