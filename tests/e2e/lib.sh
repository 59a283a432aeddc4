# Shared steps of the end-to-end tests: an X server of our own, finding windows, holding keys until they have
# their effect, waiting for pictures and processes, comparing pictures. Every step waits for the condition it
# needs, up to E2E_WAIT seconds, and then judges what it sees: a busy machine makes the game slow, not wrong.
set -u

E2E_TMP=$(mktemp -d /tmp/gorvane-e2e-XXXXXX)
GORVANE_SOURCE_DIR=${GORVANE_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
# Generous: on a machine busy with other work the game may take many seconds to start or to draw a frame.
E2E_WAIT=${GORVANE_E2E_WAIT:-60}
# The game's caption comes from the build: ctest gives it to the end-to-end tests, test.sh to the package tests.
GAME_CAPTION=${GORVANE_CAPTION:?"GORVANE_CAPTION names no caption (run through ctest or scripts/test.sh)"}
XVFB_PID=""
GAME_PID=""

# Ends the game (asking first, then forcing) before its X server, so nothing is left running.
cleanup() {
  if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
    kill "$GAME_PID" 2>/dev/null
    wait_until 5 game_ended
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

# Runs COMMAND (with its arguments) every 50 ms until it succeeds, for up to SECONDS; fails if it never does.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
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
  wait_until "$E2E_WAIT" test -s "$E2E_TMP/display" || fail "Xvfb did not start"
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

# Starts COMMAND (with its arguments) in the background from directory DIR, as a player would start an
# installed game from wherever they are; its output goes to game.log.
start_program() {
  local dir=$1
  shift
  cd "$dir" || fail "no directory $dir"
  env SDL_AUDIODRIVER=dummy "$@" >"$E2E_TMP/game.log" 2>&1 &
  GAME_PID=$!
}

# True once the program started last has ended.
game_ended() {
  ! kill -0 "$GAME_PID" 2>/dev/null
}

# Marks a window as seen, so that wait_for_window passes over it: a message box asked again may get the id its
# predecessor had.
mark_window() {
  xprop -id "$1" -f GORVANE_E2E_SEEN 8s -set GORVANE_E2E_SEEN yes 2>/dev/null
}

# Prints the id of the first top-level window named NAME (or of that class) not marked as seen; fails if none.
unseen_window() {
  local id
  for id in $(xwininfo -root -children 2>/dev/null | awk -v n="\"$1\"" 'index($0, n) {print $1}'); do
    xprop -id "$id" GORVANE_E2E_SEEN 2>/dev/null | grep -q = && continue
    echo "$id"
    return 0
  done
  return 1
}

# Prints the id of the first unseen top-level window named NAME, waiting for it.
wait_for_window() {
  local deadline=$((SECONDS + E2E_WAIT)) id
  until id=$(unseen_window "$1"); do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
  echo "$id"
}

# True once one of SDL's message boxes shows its buttons, the same on two looks: drawn, it takes keys and clicks.
box_drawn() {
  local buttons
  buttons=$("$GORVANE_LOOK" buttons "$1" 2>/dev/null) && [ -n "$buttons" ] &&
    [ "$buttons" = "$("$GORVANE_LOOK" buttons "$1" 2>/dev/null)" ]
}

# Prints the id of SDL's message box named NAME once it is drawn.
wait_for_box() {
  local box
  box=$(wait_for_window "$1") && wait_until "$E2E_WAIT" box_drawn "$box" && echo "$box"
}

# True while no top-level window is named NAME. The X server takes a window away once it has read the request
# (or seen its program end), which may be a little after the program ended: wait for it.
window_gone() {
  ! xwininfo -root -children 2>/dev/null | grep -qF "\"$1\""
}

# The width and height of a window, as "WxH".
window_size() {
  xwininfo -id "$1" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'
}

# True when the caption of WINDOW holds TEXT.
caption_has() {
  xwininfo -id "$1" 2>/dev/null | head -n 2 | grep -qF -- "$2"
}

# True when WINDOW shows another picture than the raw shot FROM.
picture_changed() {
  "$GORVANE_LOOK" changed "$1" 0 "$2" >/dev/null 2>&1
}

# Waits until the picture of WINDOW stops changing and keeps it as $E2E_TMP/NAME.rgb.
settled() {
  "$GORVANE_LOOK" settled "$1" "$E2E_WAIT" "$E2E_TMP/$2.rgb" || fail "the window's picture ($2) did not settle"
}

# Holds KEY down until CHECK (a command and its arguments) succeeds, for up to E2E_WAIT seconds, then releases
# it; fails if CHECK never succeeds. Where E2E_FOCUS names a window (under Wine, whose focus may still be settling
# when a window first shows), that window is focused and the key pressed again every few seconds.
hold_until() {
  local key=$1 deadline=$((SECONDS + E2E_WAIT)) status=1 each=$E2E_WAIT
  shift
  [ -n "${E2E_FOCUS:-}" ] && each=3
  while [ "$status" != 0 ] && [ "$SECONDS" -lt "$deadline" ]; do
    [ -n "${E2E_FOCUS:-}" ] && xdotool windowfocus "$E2E_FOCUS" 2>/dev/null
    xdotool keydown "$key"
    wait_until "$each" "$@" && status=0
    xdotool keyup "$key"
  done
  return "$status"
}

# Holds KEY until the view in WINDOW turns, and sets TURNED to the way it turned ("left" or "right"). The picture
# it starts from has stopped changing; look judges the turn only from clear estimates that agree.
turned() {
  local key=$1 window=$2 moved status=0
  settled "$window" "before-$key"
  xdotool keydown "$key"
  moved=$("$GORVANE_LOOK" turning "$window" "$E2E_WAIT") || status=$?
  xdotool keyup "$key"
  [ "$status" = 0 ] || fail "the view did not turn while $key was held"
  # What is ahead moves to the right of the picture when the view turns left.
  case "$moved" in right) TURNED=left ;; left) TURNED=right ;; *) fail "look turning said \"$moved\"" ;; esac
  echo "$key: the view turned $TURNED"
}

# Leaves the title of the game in WINDOW as a player does, holding X until the picture changes; keeps the title as
# title.rgb and the picture of play, once it has stopped changing, as play.rgb.
leave_title() {
  local window=$1
  settled "$window" title
  hold_until x picture_changed "$window" "$E2E_TMP/title.rgb" || fail "the picture did not change while X was held"
  settled "$window" play
}

# Fails unless PICTURE (a PNG, or a 640x480 raw RGB shot) is the kept view NAME of tests/data/views within the
# bound named for the renderers that drew them (tests/support/picture_compare.h).
# Usage: same_as_view PICTURE NAME WHAT BOUND, WHAT naming the picture in the messages.
same_as_view() {
  local picture=$1 name=$2 what=$3 bound=$4 verdict status=0
  verdict=$("$GORVANE_LOOK" compare "$bound" "$picture" "$GORVANE_SOURCE_DIR/tests/data/views/$name.png" 2>&1) ||
    status=$?
  [ "$status" = 0 ] || fail "$what differs from the kept view $name: $verdict"
  echo "$what is the kept view $name: $verdict"
}

# Clicks the Nth button (1 = leftmost) of one of SDL's message boxes, drawn (wait_for_box).
click_button() {
  local box=$1 n=$2 position
  position=$("$GORVANE_LOOK" buttons "$box" 2>/dev/null | sed -n "${n}p")
  [ -n "$position" ] || fail "no button $n in the message box"
  # shellcheck disable=SC2086
  xdotool mousemove $position click 1
}

# Waits for the game to end and sets GAME_CODE to its exit status, or fails.
# Call it directly, not in $(...): only this shell can wait for its child.
GAME_CODE=""
wait_for_exit() {
  wait_until "$E2E_WAIT" game_ended || fail "the game did not end within $E2E_WAIT s"
  wait "$GAME_PID"
  GAME_CODE=$?
  GAME_PID=""
}

# Holds Escape until the program ends, and sets GAME_CODE.
escape_to_end() {
  hold_until Escape game_ended || fail "the program did not end while Escape was held"
  wait_for_exit
}

# What a player does first with the SDL program started before: answers the start question No with its
# button, sees the game's 640x480 window, holds X to leave the title, and quits with Escape. Fails unless the
# title gives way to a different picture and the program ends without a signal.
play_title_and_escape() {
  local box window size
  box=$(wait_for_box "Start FullScreen?") || fail "the start question did not appear"
  click_button "$box" 2  # No, on the right
  window=$(wait_for_window "$GAME_CAPTION") || fail "no game window after answering No"
  size=$(window_size "$window")
  [ "$size" = "640x480" ] || fail "the window's client area is $size, not 640x480"
  leave_title "$window"
  # The title shows a picture, not an empty window: more than a handful of colours.
  [ "$(convert -size 640x480 -depth 8 "rgb:$E2E_TMP/play.rgb" -format %k info:)" -gt 50 ] ||
    fail "the game shows almost nothing: were its data files found?"
  escape_to_end
  [ "$GAME_CODE" -lt 128 ] || fail "the game died with status $GAME_CODE"
  wait_until "$E2E_WAIT" window_gone "$GAME_CAPTION" || fail "the window is still there"
}
