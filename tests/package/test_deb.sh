#!/usr/bin/env bash
# The .deb as a player gets it: installed with dpkg, the game started with the `gorvane` command from another
# directory (start question, window, title, Escape), its manual page found, the asset tool's scene export and
# import run, then purged, leaving nothing behind.
# Needs root (or sudo) and the end-to-end helpers' environment (GORVANE_LOOK). Usage: test_deb.sh DEB
. "$(dirname "$0")/../e2e/lib.sh"
deb=$(readlink -f "${1:?usage: test_deb.sh DEB}")

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
# Every path outside dpkg's own records, apt's and the caches that dpkg's triggers refresh for everyone.
system_files() {
  find /usr /etc /opt /var/lib /var/games -xdev 2>/dev/null |
    grep -vE '^/var/lib/(dpkg|apt)(/|$)|/(mimeinfo|icon-theme)\.cache$' | sort
}

dpkg -s gorvane >/dev/null 2>&1 &&
  fail "gorvane is already installed here; remove it (dpkg --purge gorvane) and run the test again"
system_files >"$E2E_TMP/before"
installed=""
purge() {
  [ -n "$installed" ] || return 0
  as_root dpkg --purge gorvane >/dev/null 2>&1 || echo "could not purge gorvane again: run dpkg --purge gorvane" >&2
  installed=""
}
trap 'cleanup; purge' EXIT

echo "-- dpkg -i $(basename "$deb")"
as_root dpkg -i "$deb" >"$E2E_TMP/dpkg.log" 2>&1 || { cat "$E2E_TMP/dpkg.log" >&2; fail "dpkg -i failed"; }
installed=yes

# A player's PATH, as /etc/profile gives it.
player_path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
[ "$(PATH=$player_path command -v gorvane)" = /usr/games/gorvane ] || fail "no gorvane command on a player's PATH"
[ "$(PATH=$player_path command -v gorvane-assets)" = /usr/bin/gorvane-assets ] || fail "no gorvane-assets command"
gorvane-assets world /usr/share/games/gorvane/world.dat >/dev/null || fail "the installed level does not load whole"
# The installed tool's scene commands, with assimp as the package's dependencies bring it: the installed level
# out to glTF and back in, judged by the collision check.
gorvane-assets export /usr/share/games/gorvane/world.dat --out "$E2E_TMP/valley.gltf" >/dev/null 2>&1 ||
  fail "the installed tool does not export the installed level"
gorvane-assets import "$E2E_TMP/valley.gltf" --out "$E2E_TMP/world.dat" >"$E2E_TMP/import.log" 2>&1 ||
  { cat "$E2E_TMP/import.log" >&2; fail "the installed tool does not import the exported level"; }
grep -qx "collision: 0 walls in open ground, 0 edge stretches with no wall" "$E2E_TMP/import.log" ||
  { cat "$E2E_TMP/import.log" >&2; fail "the imported level does not match its collision"; }
for page in "6 gorvane" "1 gorvane-assets"; do
  # shellcheck disable=SC2086
  man -w $page >/dev/null 2>&1 || fail "no manual page for $page"
done

echo "-- gorvane, started from another directory"
mkdir "$E2E_TMP/elsewhere"
start_xvfb 1024x768x24
start_program "$E2E_TMP/elsewhere" PATH="$player_path" gorvane
play_title_and_escape

echo "-- dpkg --purge gorvane"
as_root dpkg --purge gorvane >"$E2E_TMP/dpkg.log" 2>&1 || { cat "$E2E_TMP/dpkg.log" >&2; fail "dpkg --purge failed"; }
installed=""
dpkg -s gorvane >/dev/null 2>&1 && fail "gorvane is still installed"
system_files >"$E2E_TMP/after"
diff -u "$E2E_TMP/before" "$E2E_TMP/after" >&2 || fail "installing and purging the package changed these files"
echo "PASS"
