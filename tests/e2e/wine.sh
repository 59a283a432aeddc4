# Running the Windows program under Wine, for the end-to-end tests. Source after lib.sh.

# Chooses the Wine that can run the program: the 32-bit program under 32-bit Wine where the kernel runs 32-bit
# code and 32-bit Wine is installed, otherwise the 64-bit build of the same sources under 64-bit Wine. Sets
# WINE_EXE (the program chosen) and WINE_LOADER and exports WINEARCH and WINESERVER; exits 77 (skipped) when
# neither can run here.
choose_wine() {
  local exe32=$1 exe64=$2
  command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
  if [ -n "$exe32" ] && [ -f "$exe32" ] && [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
  then
    echo "note: running the 32-bit Windows program under 32-bit Wine"
    WINE_EXE=$exe32
    WINE_LOADER=/usr/lib/wine/wine
    export WINEARCH=win32 WINESERVER=/usr/lib/wine/wineserver32
  elif [ -n "$exe64" ] && [ -f "$exe64" ] && [ -x /usr/lib/wine/wine64 ]; then
    echo "note: no 32-bit Wine here (the kernel or the packages); running the 64-bit Windows build under 64-bit Wine"
    WINE_EXE=$exe64
    WINE_LOADER=/usr/lib/wine/wine64
    export WINEARCH=win64 WINESERVER=/usr/lib/wine/wineserver64
  else
    echo "SKIP: no Windows build that this machine's Wine can run"
    exit 77
  fi
}

# Makes (once per machine and architecture) the Wine prefix the tests share, with a virtual desktop that lets
# the display switch to 640x480 and makes window teardown quick.
prepare_wine_prefix() {
  export WINEDEBUG=-all WINEPREFIX="/tmp/gorvane-wine-$WINEARCH"
  [ -f "$WINEPREFIX/.gorvane-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  timeout 180 "$WINE_LOADER" wineboot -i >/dev/null 2>&1
  timeout 60 "$WINE_LOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  timeout 60 "$WINE_LOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  timeout 60 "$WINESERVER" -w
  [ -d "$WINEPREFIX" ] || fail "could not make a Wine prefix"
  touch "$WINEPREFIX/.gorvane-ready"
}

# Starts WINE_EXE in DIR (where a player's double-click starts it: its own folder), answers the start question
# No, waits for the game's window and quits with Escape. Fails unless the program ends cleanly.
play_under_wine() {
  local dir=$1 box="" window=""
  cd "$dir" || fail "no folder $dir"
  timeout 120 "$WINE_LOADER" "$WINE_EXE" >"$E2E_TMP/game.log" 2>&1 &
  GAME_PID=$!
  for _ in $(seq 1 600); do
    box=$(xdotool search --name "Start FullScreen" 2>/dev/null | head -n1)
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || fail "the start question did not appear under Wine"
  sleep 0.3
  xdotool key --window "$box" n  # n answers No
  for _ in $(seq 1 300); do
    window=$(xdotool search --name "^Gorvane \(3D\) v0.42$" 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no game window under Wine"
  sleep 1
  # Wine may still be settling the focus when the window first shows: hold Escape until the game sees it.
  for _ in 1 2 3 4 5; do
    xdotool windowfocus "$window" 2>/dev/null
    xdotool keydown --window "$window" Escape 2>/dev/null
    sleep 0.5
    xdotool keyup --window "$window" Escape 2>/dev/null
    for _ in $(seq 1 30); do
      kill -0 "$GAME_PID" 2>/dev/null || break 2
      sleep 0.1
    done
  done
  wait_for_exit 30
  timeout 30 "$WINESERVER" -k 2>/dev/null
  [ "$GAME_CODE" -lt 124 ] || fail "the Windows build did not end cleanly (status $GAME_CODE)"
}
