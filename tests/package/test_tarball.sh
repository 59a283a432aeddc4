#!/usr/bin/env bash
# The tarball as a player gets it: unpacked into an empty folder, its launcher started from another directory
# (start question, window, title, Escape). Needs the end-to-end helpers' environment (GORVANE_LOOK).
# Usage: test_tarball.sh TARBALL
. "$(dirname "$0")/../e2e/lib.sh"
tarball=$(readlink -f "${1:?usage: test_tarball.sh TARBALL}")

mkdir "$E2E_TMP/unpacked" "$E2E_TMP/elsewhere"
tar -xzf "$tarball" -C "$E2E_TMP/unpacked" || fail "the tarball does not unpack"
launcher=$(echo "$E2E_TMP"/unpacked/*/games/gorvane)
[ -x "$launcher" ] || fail "no games/gorvane in the tarball"

start_xvfb 1024x768x24
start_program "$E2E_TMP/elsewhere" "$launcher"
play_title_and_escape

# A launcher separated from the game says so rather than starting nothing.
cp "$launcher" "$E2E_TMP/elsewhere/gorvane"
"$E2E_TMP/elsewhere/gorvane" 2>"$E2E_TMP/stray.log" && fail "a launcher without the game beside it succeeded"
grep -q "not installed beside this launcher" "$E2E_TMP/stray.log" || fail "the stray launcher did not say why"
echo "PASS"
