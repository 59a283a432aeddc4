#!/usr/bin/env bash
# The Windows zip as a player gets it: unpacked into an empty folder and its gorvane.exe started there under
# Wine (start question, window, Escape). Where only 64-bit Wine can run, the 64-bit build of the same sources
# (GORVANE_WIN64_EXE) takes the 32-bit program's place in the unpacked folder, so the folder's data is still
# what the program runs on. Usage: test_zip.sh ZIP
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/wine.sh"
zip=$(readlink -f "${1:?usage: test_zip.sh ZIP}")

mkdir "$E2E_TMP/unpacked"
unzip -q "$zip" -d "$E2E_TMP/unpacked" || fail "the zip does not unpack"
folder=$(echo "$E2E_TMP"/unpacked/*)
[ -f "$folder/gorvane.exe" ] || fail "no gorvane.exe in the zip"

choose_wine "$folder/gorvane.exe" "${GORVANE_WIN64_EXE:-}"
if [ "$WINE_EXE" != "$folder/gorvane.exe" ]; then
  cp "$WINE_EXE" "$folder/gorvane.exe"
  WINE_EXE=$folder/gorvane.exe
fi
start_xvfb 1024x768x24
prepare_wine_prefix
play_under_wine "$folder"
echo "PASS: exit code $GAME_CODE"
