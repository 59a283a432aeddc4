#!/usr/bin/env bash
# The Windows build under Wine: it starts, asks the start question, opens its window and quits on Escape.
# The 32-bit program runs where the kernel can execute 32-bit code; elsewhere the 64-bit build of the same
# sources runs under 64-bit Wine, so the Windows backend is still exercised end to end.
. "$(dirname "$0")/lib.sh"

command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
if [ -n "${GORVANE_WIN32_EXE:-}" ] && [ -f "$GORVANE_WIN32_EXE" ] && [ -x /usr/lib/wine/wine ] &&
   /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "note: running the 32-bit Windows program under 32-bit Wine"
  exe=$GORVANE_WIN32_EXE
  wine_loader=/usr/lib/wine/wine
  export WINEARCH=win32 WINESERVER=/usr/lib/wine/wineserver32
elif [ -n "${GORVANE_WIN64_EXE:-}" ] && [ -f "$GORVANE_WIN64_EXE" ] && [ -x /usr/lib/wine/wine64 ]; then
  echo "note: no 32-bit Wine here (the kernel or the packages); running the 64-bit Windows build under 64-bit Wine"
  exe=$GORVANE_WIN64_EXE
  wine_loader=/usr/lib/wine/wine64
  export WINEARCH=win64 WINESERVER=/usr/lib/wine/wineserver64
else
  echo "SKIP: no Windows build that this machine's Wine can run"
  exit 77
fi

start_xvfb 1024x768x24
export WINEDEBUG=-all WINEPREFIX="/tmp/gorvane-wine-$WINEARCH"
if [ ! -f "$WINEPREFIX/.gorvane-ready" ]; then
  rm -rf "$WINEPREFIX"
  timeout 180 "$wine_loader" wineboot -i >/dev/null 2>&1
  # A virtual desktop lets the display switch to 640x480 and makes window teardown quick.
  timeout 60 "$wine_loader" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  timeout 60 "$wine_loader" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  timeout 60 "$WINESERVER" -w
  [ -d "$WINEPREFIX" ] || fail "could not make a Wine prefix"
  touch "$WINEPREFIX/.gorvane-ready"
fi

cd "$GORVANE_SOURCE_DIR/data" || fail "no data directory"
timeout 120 "$wine_loader" "$exe" >"$E2E_TMP/game.log" 2>&1 &
GAME_PID=$!

box=""
for _ in $(seq 1 600); do
  box=$(xdotool search --name "Start FullScreen" 2>/dev/null | head -n1)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || fail "the start question did not appear under Wine"
sleep 0.3
xdotool key --window "$box" n  # n answers No

window=""
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
code=$GAME_CODE
timeout 30 "$WINESERVER" -k 2>/dev/null
[ "$code" -lt 124 ] || fail "the Windows build did not end cleanly (status $code)"
echo "PASS: exit code $code"
