# Shared steps of the end-to-end tests: an X server of our own, finding windows, holding keys, checking exits.
set -u

E2E_TMP=$(mktemp -d /tmp/gorvane-e2e-XXXXXX)
GORVANE_SOURCE_DIR=${GORVANE_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
XVFB_PID=""
GAME_PID=""

# Ends the game (asking first, then forcing) before its X server, so nothing is left running.
cleanup() {
  if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
    kill "$GAME_PID" 2>/dev/null
    for _ in $(seq 1 40); do
      kill -0 "$GAME_PID" 2>/dev/null || break
      sleep 0.05
    done
    kill -9 "$GAME_PID" 2>/dev/null
  fi
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$E2E_TMP"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$E2E_TMP/game.log" ] && sed 's/^/  game: /' "$E2E_TMP/game.log" >&2
  exit 1
}

# Starts Xvfb with the given screen (e.g. 640x480x24) on a free display and exports DISPLAY. An X server
# resets itself whenever its last client leaves, and refuses connections while it does: the game's start
# question is shown by a short-lived child process, and a game starting its video just as that child leaves
# would find no display (SDL then quietly picks its offscreen driver). A desktop always has other clients;
# -noreset gives the test server the same steadiness.
start_xvfb() {
  local screen=$1
  exec 5>"$E2E_TMP/display"
  Xvfb -displayfd 5 -screen 0 "$screen" -nolisten tcp -noreset -r >"$E2E_TMP/xvfb.log" 2>&1 &
  XVFB_PID=$!
  exec 5>&-
  for _ in $(seq 1 100); do
    [ -s "$E2E_TMP/display" ] && break
    sleep 0.05
  done
  [ -s "$E2E_TMP/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
}

# Starts the game in the background from the data directory, its output in game.log, with any NAME=VALUE
# settings given. Libraries are kept loaded until it exits (see keep_modules.c); a sanitized game needs its
# runtime preloaded first.
start_game() {
  local preload=${GORVANE_KEEP_MODULES:-} asan
  asan=$(ldd "$GORVANE_BIN" 2>/dev/null | awk '/libasan/ {print $3; exit}')
  [ -n "$asan" ] && [ -n "$preload" ] && preload="$asan $preload"
  cd "$GORVANE_SOURCE_DIR/data" || fail "no data directory"
  env SDL_AUDIODRIVER=dummy LD_PRELOAD="$preload" "$@" "$GORVANE_BIN" >"$E2E_TMP/game.log" 2>&1 &
  GAME_PID=$!
}

# Starts the asset tool in the background from directory DIR with the arguments given, with the preloads of
# start_game; its standard output goes to tool.out, its standard error to game.log.
start_tool() {
  local dir=$1 preload=${GORVANE_KEEP_MODULES:-} asan
  shift
  asan=$(ldd "$GORVANE_ASSETS" 2>/dev/null | awk '/libasan/ {print $3; exit}')
  [ -n "$asan" ] && [ -n "$preload" ] && preload="$asan $preload"
  cd "$dir" || fail "no directory $dir"
  env SDL_AUDIODRIVER=dummy LD_PRELOAD="$preload" "$GORVANE_ASSETS" "$@" >"$E2E_TMP/tool.out" 2>"$E2E_TMP/game.log" &
  GAME_PID=$!
}

# Prints the id of the first top-level window whose name is exactly NAME, polling for up to SECONDS.
wait_for_window() {
  local name=$1 seconds=${2:-10} id
  local tries=$((seconds * 20))
  for _ in $(seq 1 "$tries"); do
    id=$(xwininfo -root -children 2>/dev/null | awk -v n="\"$name\"" 'index($0, n) {print $1; exit}')
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# True while no top-level window is named NAME.
window_gone() {
  ! xwininfo -root -children 2>/dev/null | grep -qF "\"$1\""
}

# The width and height of a window, as "WxH".
window_size() {
  xwininfo -id "$1" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'
}

# The window's place on the screen and its size, as ImageMagick's crop geometry "WxH+X+Y".
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/{x=$4} /Absolute upper-left Y:/{y=$4} /Width:/{w=$2}
    /Height:/{h=$2} END{print w "x" h "+" x "+" y}'
}

# Photographs the screen's 640x480 at GEOMETRY (default: its top left corner) as raw RGB into $E2E_TMP/NAME.rgb.
shot() {
  import -window root -crop "${2:-640x480+0+0}" -depth 8 "rgb:$E2E_TMP/$1.rgb"
}

# Turns with KEY held briefly and sets TURNED to how many pixels the picture of the window at GEOMETRY moved
# to the right: positive when the view turned left.
turned() {
  local key=$1 geometry=${2:-640x480+0+0}
  shot before "$geometry"
  hold_key "$key" 0.08
  sleep 0.3
  shot after "$geometry"
  TURNED=$("$GORVANE_LOOK" shift "$E2E_TMP/before.rgb" "$E2E_TMP/after.rgb" 640 480) || fail "could not compare"
  echo "$key: the picture moved $TURNED pixels to the right"
}

# Fails unless PICTURE (a PNG, or a 640x480 raw RGB shot) is the kept view NAME of tests/data/views within the
# allowance the data tests give another build of the software renderer: at most 1,536 pixels far off (by 9.4%),
# and a mean difference of at most one level in 255, which a fog or a tint a little off already exceeds.
# Usage: same_as_view PICTURE NAME WHAT, WHAT naming the picture in the messages.
same_as_view() {
  local picture=$1 name=$2 what=$3 differing mean raw=()
  local kept="$GORVANE_SOURCE_DIR/tests/data/views/$name.png"
  case "$picture" in *.rgb) picture="rgb:$picture" raw=(-size 640x480 -depth 8) ;; esac
  differing=$(compare -metric AE -fuzz 9.4% "${raw[@]}" "$picture" "$kept" null: 2>&1) || [ -n "$differing" ] ||
    fail "could not compare with the kept view $name"
  mean=$(compare -metric MAE "${raw[@]}" "$picture" "$kept" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
  [ "${differing%.*}" -le 1536 ] 2>/dev/null || fail "$what differs from the kept view $name ($differing pixels)"
  awk -v m="$mean" 'BEGIN {exit !(m != "" && m * 255 <= 1)}' ||
    fail "$what differs from the kept view $name (a mean difference of $mean of the range)"
  echo "$what is the kept view $name within $differing pixels, a mean difference of $mean of the range"
}

# Clicks the Nth button (1 = leftmost) of one of SDL's message boxes.
click_button() {
  local box=$1 n=$2 position=""
  for _ in $(seq 1 20); do
    position=$("$GORVANE_LOOK" buttons "$box" 2>/dev/null | sed -n "${n}p")
    [ -n "$position" ] && break
    sleep 0.1
  done
  [ -n "$position" ] || fail "no button $n in the message box"
  # shellcheck disable=SC2086
  xdotool mousemove $position click 1
}

# Presses and holds a key long enough for the game's loop to see it down.
hold_key() {
  local key=$1 seconds=${2:-0.3}
  xdotool keydown "$key"
  sleep "$seconds"
  xdotool keyup "$key"
}

# Waits up to SECONDS for the game to end and sets GAME_CODE to its exit status, or fails.
# Call it directly, not in $(...): only this shell can wait for its child.
GAME_CODE=""
wait_for_exit() {
  local seconds=$1
  for _ in $(seq 1 $((seconds * 20))); do
    if ! kill -0 "$GAME_PID" 2>/dev/null; then
      wait "$GAME_PID"
      GAME_CODE=$?
      GAME_PID=""
      return 0
    fi
    sleep 0.05
  done
  fail "the game did not end within $seconds s"
}

# Starts COMMAND (with its arguments) in the background from directory DIR, as a player would start an
# installed game from wherever they are; its output goes to game.log.
start_program() {
  local dir=$1
  shift
  cd "$dir" || fail "no directory $dir"
  env SDL_AUDIODRIVER=dummy "$@" >"$E2E_TMP/game.log" 2>&1 &
  GAME_PID=$!
}

# What a player does first with the SDL program started before: answers the start question No with its
# button, sees the game's 640x480 window, holds X to leave the title, and quits with Escape. Fails unless the
# title gives way to a different picture and the program ends without a signal.
play_title_and_escape() {
  local box window size
  box=$(wait_for_window "Start FullScreen?" 20) || fail "the start question did not appear"
  sleep 0.3
  click_button "$box" 2  # No, on the right
  window=$(wait_for_window "Gorvane (3D) v0.42" 10) || fail "no game window after answering No"
  size=$(window_size "$window")
  [ "$size" = "640x480" ] || fail "the window's client area is $size, not 640x480"
  sleep 0.5
  import -window root -crop 640x480+0+0 -depth 8 "rgb:$E2E_TMP/title.rgb"
  hold_key x 0.3
  sleep 0.5
  import -window root -crop 640x480+0+0 -depth 8 "rgb:$E2E_TMP/play.rgb"
  cmp -s "$E2E_TMP/title.rgb" "$E2E_TMP/play.rgb" && fail "the picture did not change when X was held"
  # The title shows a picture, not an empty window: more than a handful of colours.
  [ "$(convert -size 640x480 -depth 8 "rgb:$E2E_TMP/play.rgb" -format %k info:)" -gt 50 ] ||
    fail "the game shows almost nothing: were its data files found?"
  hold_key Escape 0.3
  wait_for_exit 10
  [ "$GAME_CODE" -lt 128 ] || fail "the game died with status $GAME_CODE"
  window_gone "Gorvane (3D) v0.42" || fail "the window is still there"
}
