#!/usr/bin/env bash
# The 32-bit Windows build under Wine: it starts, asks the start question, opens its window and quits on Escape.
. "$(dirname "$0")/lib.sh"

if [ -z "${GORVANE_WIN32_EXE:-}" ] || [ ! -f "$GORVANE_WIN32_EXE" ]; then
  echo "SKIP: no Windows build (set GORVANE_WIN32_EXE)"
  exit 77
fi
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }

start_xvfb 1024x768x24
export WINEDEBUG=-all WINEARCH=win32 WINEPREFIX="${GORVANE_WINE_PREFIX:-/tmp/gorvane-wine-prefix}"
if [ ! -f "$WINEPREFIX/.gorvane-ready" ]; then
  rm -rf "$WINEPREFIX"
  timeout 120 wineboot -i >/dev/null 2>&1
  # A virtual desktop lets the display switch to 640x480 and makes window teardown quick.
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  timeout 60 wineserver -w
  touch "$WINEPREFIX/.gorvane-ready"
fi

cd "$GORVANE_SOURCE_DIR/data" || fail "no data directory"
cp "$GORVANE_WIN32_EXE" "$E2E_TMP/gorvane.exe"
timeout 120 wine "$E2E_TMP/gorvane.exe" >"$E2E_TMP/game.log" 2>&1 &
GAME_PID=$!

box=""
for _ in $(seq 1 600); do
  box=$(xdotool search --name "Start FullScreen" 2>/dev/null | head -n1)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || fail "the start question did not appear under Wine"
sleep 0.3
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key --window "$box" n  # n answers No

window=""
for _ in $(seq 1 300); do
  window=$(xdotool search --name "^Gorvane \(3D\) v0.42$" 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no game window under Wine"
sleep 1
xdotool windowactivate "$window" 2>/dev/null || true
xdotool keydown --window "$window" Escape
sleep 0.5
xdotool keyup --window "$window" Escape
wait_for_exit 30
code=$GAME_CODE
timeout 30 wineserver -k 2>/dev/null
[ "$code" -lt 124 ] || fail "the Windows build did not end cleanly (status $code)"
echo "PASS: exit code $code"
