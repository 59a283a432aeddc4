#!/usr/bin/env bash
# The Windows zip as a player gets it: unpacked into an empty folder and its programs run there under Wine.
# gorvane.exe is played (see play_under_wine in tests/e2e/wine.sh: the start question, the window, the title,
# the day at the start point as the kept view shows it, the arrows, F1 on a screen without 640x480, Escape);
# gorvane-assets.exe draws every kept view of the level, each of which must look as the kept picture does.
# The 32-bit programs run under 32-bit Wine wherever it can be had; elsewhere the 64-bit build of the same
# sources (GORVANE_WIN64_EXE, and the tool beside it in tools/) stands in, in the unpacked folder, so the
# folder's data is still what the programs run on. Usage: test_zip.sh ZIP
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/wine.sh"
zip=$(readlink -f "${1:?usage: test_zip.sh ZIP}")

mkdir "$E2E_TMP/unpacked"
unzip -q "$zip" -d "$E2E_TMP/unpacked" || fail "the zip does not unpack"
folder=$(echo "$E2E_TMP"/unpacked/*)
[ -f "$folder/gorvane.exe" ] && [ -f "$folder/gorvane-assets.exe" ] || fail "no gorvane.exe and gorvane-assets.exe in the zip"

choose_wine "$folder" "${GORVANE_WIN64_EXE:-}"
start_xvfb 1024x768x24
prepare_wine_prefix "$folder"
play_under_wine "$folder"
code=$GAME_CODE

# The tool draws through the Windows backend's hidden window; the kept pictures were drawn through EGL.
while read -r name arguments; do
  case "$name" in '#'* | '') continue ;; esac
  status=0
  # shellcheck disable=SC2086
  wine_run "$folder" 120 wine cmd /c gorvane-e2e-status.bat gorvane-assets.exe view . $arguments --png "$name.png" \
    >"$E2E_TMP/tool.log" 2>&1 || status=$?
  [ "$(program_status "$E2E_TMP/tool.log" "$status")" = 0 ] ||
    { cat "$E2E_TMP/tool.log" >&2; fail "gorvane-assets.exe view $arguments failed"; }
  same_as_view "$folder/$name.png" "$name" "gorvane-assets.exe view $arguments" wine
done <"$GORVANE_SOURCE_DIR/tests/data/views.txt"
# The Windows tool has no window of its own to walk a level in, and says so.
status=0
wine_run "$folder" 120 wine cmd /c gorvane-e2e-status.bat gorvane-assets.exe walk . >"$E2E_TMP/tool.log" 2>&1 ||
  status=$?
[ "$(program_status "$E2E_TMP/tool.log" "$status")" = 1 ] && grep -q "no window of its own" "$E2E_TMP/tool.log" ||
  { cat "$E2E_TMP/tool.log" >&2; fail "gorvane-assets.exe walk did not refuse with 1"; }
end_wine "$folder"
echo "PASS: exit code $code"
