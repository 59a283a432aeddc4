#!/usr/bin/env bash
# The Windows zip as a player gets it: unpacked into an empty folder and its gorvane.exe started there under
# Wine (start question, window, Escape), then its gorvane-assets.exe drawing a view of the level there, which
# must look as the kept picture does. Where only 64-bit Wine can run, the 64-bit build of the same sources
# (GORVANE_WIN64_EXE, and the tool beside it in tools/) takes the 32-bit programs' place in the unpacked
# folder, so the folder's data is still what the programs run on. Usage: test_zip.sh ZIP
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/wine.sh"
zip=$(readlink -f "${1:?usage: test_zip.sh ZIP}")
views=$(cd "$(dirname "$0")/../data/views" && pwd)

mkdir "$E2E_TMP/unpacked"
unzip -q "$zip" -d "$E2E_TMP/unpacked" || fail "the zip does not unpack"
folder=$(echo "$E2E_TMP"/unpacked/*)
[ -f "$folder/gorvane.exe" ] || fail "no gorvane.exe in the zip"

choose_wine "$folder/gorvane.exe" "${GORVANE_WIN64_EXE:-}"
if [ "$WINE_EXE" != "$folder/gorvane.exe" ]; then
  cp "$WINE_EXE" "$folder/gorvane.exe"
  cp "$(dirname "$WINE_EXE")/tools/gorvane-assets.exe" "$folder/gorvane-assets.exe"
  WINE_EXE=$folder/gorvane.exe
fi
start_xvfb 1024x768x24
prepare_wine_prefix
play_under_wine "$folder"
code=$GAME_CODE

# The tool draws through the Windows backend's hidden window; the kept picture was drawn through EGL. The same
# allowance as the data tests give a renderer build: at most 1,536 pixels further off than 24 levels.
timeout 120 "$WINE_LOADER" gorvane-assets.exe view . --at 1.5,17.5,0 --tick 60 --png dusk.png \
  >"$E2E_TMP/tool.log" 2>&1 || { cat "$E2E_TMP/tool.log" >&2; fail "gorvane-assets.exe view failed"; }
timeout 30 "$WINESERVER" -k 2>/dev/null
differing=$(compare -metric AE -fuzz 9.4% dusk.png "$views/dusk.png" null: 2>&1) ||
  [ -n "$differing" ] || fail "could not compare the pictures"
[ "${differing%.*}" -le 1536 ] 2>/dev/null || fail "the Windows tool's view differs from the kept picture ($differing pixels)"
echo "PASS: exit code $code; the Windows tool's view is the kept picture within $differing pixels"
