# Running the Windows programs under Wine, for the end-to-end tests. Source after lib.sh.
#
# The shipped programs are 32-bit. They run under a 32-bit Wine installed on the machine itself, or else under
# the one in the 32-bit root that `scripts/setup.sh test` makes (scripts/wine32-root.sh). Where neither can
# run (a kernel without 32-bit support, or no root to be had), the 64-bit build of the same sources stands in
# under 64-bit Wine, so that the Windows backend is still exercised end to end.
WINE32_ROOT_SCRIPT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/wine32-root.sh
WINE_HOW=""
WINE_FOLDER=""

# However the test ends, the programs of its Wine prefix end with it, before its X server.
trap '[ -n "$WINE_HOW" ] && end_wine "$WINE_FOLDER"; cleanup' EXIT

# Chooses the Wine for the programs in FOLDER (gorvane.exe and gorvane-assets.exe); where only the 64-bit
# stand-in can run, copies EXE64 and the tool built beside it into FOLDER in their place. Says in one line
# which Wine runs which programs. Exits 77 (skipped) when no Windows program can run here.
choose_wine() {
  local folder=$1 exe64=$2 why root
  WINE_FOLDER=$folder
  if ! "$(dirname "$WINE32_ROOT_SCRIPT")/kernel-runs-32bit.sh"; then
    why="this kernel does not run 32-bit programs"
  elif [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE_HOW=host
    WINE_LOADER=/usr/lib/wine/wine
    export WINEARCH=win32 WINESERVER=/usr/lib/wine/wineserver32 WINEPREFIX=/tmp/gorvane-wine-prefix-win32
    echo "note: the zip's 32-bit gorvane.exe and gorvane-assets.exe run under this machine's 32-bit Wine"
    return 0
  elif root=$("$WINE32_ROOT_SCRIPT" path) && [ -e "$root/usr/lib/wine/wine" ]; then
    WINE_HOW=root
    export WINEARCH=win32 WINEPREFIX=/root/.wine-gorvane
    echo "note: the zip's 32-bit gorvane.exe and gorvane-assets.exe run under 32-bit Wine" \
      "($(wine_run "$folder" 60 wine --version 2>/dev/null)) in the root $root"
    return 0
  else
    why="no 32-bit Wine here (scripts/setup.sh test makes one; it could not on this machine)"
  fi
  command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
  if [ -z "$exe64" ] || [ ! -f "$exe64" ] || [ ! -x /usr/lib/wine/wine64 ]; then
    echo "SKIP: $why, and no 64-bit Windows build to stand in"
    exit 77
  fi
  cp "$exe64" "$folder/gorvane.exe"
  cp "$(dirname "$exe64")/tools/gorvane-assets.exe" "$folder/gorvane-assets.exe"
  WINE_HOW=host
  WINE_LOADER=/usr/lib/wine/wine64
  export WINEARCH=win64 WINESERVER=/usr/lib/wine/wineserver64 WINEPREFIX=/tmp/gorvane-wine-prefix-win64
  echo "note: $why: the 64-bit build of the same sources stands in for the zip's programs under 64-bit Wine"
}

# Sets WINE_COMMAND to the command line that runs a Wine command (wine PROGRAM ARGS..., wineboot ARGS...,
# wineserver ARGS...) with the chosen Wine, for FOLDER; run it with FOLDER as the working directory.
wine_command() {
  local folder=$1 command=$2
  shift 2
  if [ "$WINE_HOW" = root ]; then
    WINE_COMMAND=("$WINE32_ROOT_SCRIPT" run "$folder" "$command" "$@")
  elif [ "$command" = wineserver ]; then
    WINE_COMMAND=("$WINESERVER" "$@")
  elif [ "$command" = wine ]; then
    WINE_COMMAND=("$WINE_LOADER" "$@")
  else
    WINE_COMMAND=("$WINE_LOADER" "$command" "$@")
  fi
}

# Runs a Wine command in FOLDER for at most SECONDS.
wine_run() {
  local folder=$1 seconds=$2
  shift 2
  wine_command "$folder" "$@"
  (cd "$folder" && exec timeout "$seconds" "${WINE_COMMAND[@]}")
}

# Wine ends the Unix process of a Windows program by force when it is still there a second after the program
# ended, which on a busy machine happens after the program has done its work: the process's status is then 137,
# whatever the program returned. So the programs run through a batch file in FOLDER that prints the status
# Windows reports (program_status reads it), started with `wine cmd /c gorvane-e2e-status.bat PROGRAM ARGS...`.
write_status_batch() {
  printf '@%%*\r\n@echo gorvane-e2e-status %%errorlevel%%\r\n' >"$1/gorvane-e2e-status.bat"
}

# The status the batch file printed into the output file LOG, or UNIX_STATUS when it printed none (a timeout).
program_status() {
  local printed
  printed=$(tr -d '\r' <"$1" | sed -n 's/^gorvane-e2e-status \(-\{0,1\}[0-9]*\)$/\1/p' | tail -n1)
  echo "${printed:-$2}"
}

# Starts PROGRAM of FOLDER under the chosen Wine in the background, its output in game.log.
start_wine_program() {
  local folder=$1 program=$2
  wine_command "$folder" wine cmd /c gorvane-e2e-status.bat start /wait "$program"
  (cd "$folder" && exec timeout 180 "${WINE_COMMAND[@]}") >"$E2E_TMP/game.log" 2>&1 &
  GAME_PID=$!
}

# Makes (once per machine and Wine) the prefix the tests share. It has no virtual desktop: the programs meet
# the X screen itself, which offers no 640x480 mode, as a player's desktop may not.
prepare_wine_prefix() {
  local folder=$1 prefix=$WINEPREFIX
  export WINEDEBUG=-all
  # The root's prefix, seen from out here.
  [ "$WINE_HOW" = root ] && prefix=$("$WINE32_ROOT_SCRIPT" path)$WINEPREFIX
  [ -f "$prefix/.gorvane-ready" ] && return 0
  rm -rf "$prefix"
  wine_run "$folder" 180 wineboot -i >/dev/null 2>&1 || true
  wine_run "$folder" 60 wineserver -w || true
  [ -f "$prefix/system.reg" ] || fail "could not make a Wine prefix"
  touch "$prefix/.gorvane-ready"
}

# Ends every program of the prefix.
end_wine() {
  wine_run "$1" 30 wineserver -k 2>/dev/null || true
}

# Prints the id of the first window named NAME (a regular expression) that Wine shows, waiting for it.
wait_for_wine_window() {
  local deadline=$((SECONDS + E2E_WAIT)) id
  until id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) && [ -n "$id" ]; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
  echo "$id"
}

# True while Wine shows a window named NAME (a regular expression).
wine_window_shown() {
  [ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]
}

# True once Wine shows no window named NAME.
wine_window_gone() {
  ! wine_window_shown "$1"
}

# Answers the message box whose caption holds TEXT with KEY once it shows. A key that reaches the box before it
# takes keys is lost: it is sent again every few seconds until the box has gone.
answer_wine_box() {
  local text=$1 key=$2 box deadline=$((SECONDS + E2E_WAIT))
  box=$(wait_for_wine_window "$text") || fail "no \"$text\" box under Wine"
  while [ "$SECONDS" -lt "$deadline" ]; do
    xdotool key --window "$box" "$key" 2>/dev/null
    wait_until 3 wine_window_gone "$text" && return 0
  done
  fail "the \"$text\" box did not take $key"
}

# Waits for the program's window captioned CAPTION (no regular expression signs in it but parentheses and
# dots) and sets window; fails unless its client area is 640x480.
wait_for_640x480() {
  local name=${1//(/\\(} size
  name=${name//)/\\)}
  window=$(wait_for_wine_window "^$name\$") || fail "no \"$1\" window under Wine"
  size=$(window_size "$window")
  [ "$size" = 640x480 ] || fail "the \"$1\" window is $size, not 640x480"
}

# Plays the chosen gorvane.exe in FOLDER (where a player's double-click starts it) as a player does: No to the
# start question, a 640x480 window that leaves its title while X is held and then shows the day at the start
# point as the kept start view does, the arrows turning the view the way they say; F1 on this screen, which has
# no 640x480 mode, asks "Quillo GL", and Yes gives a 640x480 "Brannoch" window; Escape ends the program.
# Keys go to the window that has the focus: each is pressed with the game's window focused (see hold_until).
play_under_wine() {
  local folder=$1 window
  # Mouse look reads the pointer from the first frame on: resting at the middle, it leaves the view facing north.
  xdotool mousemove 320 240
  write_status_batch "$folder"
  start_wine_program "$folder" gorvane.exe
  answer_wine_box "Start FullScreen" n  # n answers No
  wait_for_640x480 "$GAME_CAPTION"
  E2E_FOCUS=$window
  leave_title "$window"
  same_as_view "$E2E_TMP/play.rgb" start "the Windows program's play frame at the start" wine
  turned Left "$window"
  [ "$TURNED" = left ] || fail "the left arrow did not turn the view to the left"
  turned Right "$window"
  [ "$TURNED" = right ] || fail "the right arrow did not turn the view to the right"

  hold_until F1 wine_window_shown "Quillo GL" || fail "F1 did not ask \"Quillo GL\" on a screen without 640x480"
  answer_wine_box "Quillo GL" Return  # Return answers Yes
  wait_for_640x480 Brannoch
  E2E_FOCUS=$window
  escape_to_end
  E2E_FOCUS=""
  end_wine "$folder"
  GAME_CODE=$(program_status "$E2E_TMP/game.log" "$GAME_CODE")
  # An exception's code shows as a negative status.
  [ "$GAME_CODE" -ge 0 ] && [ "$GAME_CODE" -lt 124 ] ||
    fail "the Windows program did not end cleanly (status $GAME_CODE)"
}
