#!/usr/bin/env bash
# Photographs the real SDL build where the window itself is the point: the start question and the title
# screen, fullscreen on a 640x480 screen, and the asset tool's preview window beside it (tools/gorvane-assets
# in the same build). Runs its own Xvfb; writes docs/screenshots/question.png, title.png and walk.png. The
# views of the level are drawn by the asset tool instead (scripts/views.sh): the same every time, in seconds.
#
#   scripts/screenshots.sh build/gorvane [OUTDIR]
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
cd "$here/data"
SDL_AUDIODRIVER=dummy "$game" >"$tmp/game.log" 2>&1 &
game_pid=$!
box=$(window_named "Start FullScreen?")
sleep 0.5
shot question
xdotool key --window "$box" Return  # Yes: the screen is 640x480, the game's own mode
window_named "Gorvane (3D) v0.42" >/dev/null
xdotool mousemove 320 240
sleep 1.0
shot title

xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
for _ in $(seq 100); do
  if ! kill -0 "$game_pid" 2>/dev/null; then
    game_pid=""  # it quit by itself; otherwise the clean-up ends it
    break
  fi
  sleep 0.05
done

# The preview, flown 2.5 units up over the hut's doorway with the collision shown: the tick held, C, then F
# and Page Up for half a second.
assets=$(dirname "$game")/tools/gorvane-assets
[ -x "$assets" ] || exit 0
(cd "$tmp" && exec env SDL_AUDIODRIVER=dummy "$assets" walk "$here/data" --at 1.5,9,0,35 --tick 20) \
  >"$tmp/walk.log" 2>&1 &
game_pid=$!
window_named gorvane-assets >/dev/null
sleep 1.0
for key in t c f; do xdotool keydown $key; sleep 0.1; xdotool keyup $key; done
xdotool keydown Prior; sleep 0.5; xdotool keyup Prior
sleep 0.5
shot walk
xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
wait "$game_pid" || true
game_pid=""
