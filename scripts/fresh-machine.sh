#!/usr/bin/env bash
# Tries the README's two commands as a newcomer meets them: in a clean Debian 12 root made with debootstrap,
# with this repository's committed HEAD cloned into it. `play.sh` is answered over an X server started out
# here and shared with the root (the start question, the game's window, Escape); then `test.sh` runs as
# continuous integration runs it. Prints how long each took. Needs root (or sudo) and the Debian archive.
#
#   scripts/fresh-machine.sh [--keep] [WORK_DIR]
#
# WORK_DIR (default /var/tmp/gorvane-fresh) holds the root and the logs; the root is made anew on every run
# and removed at the end unless --keep is given. Uncommitted changes are not tried: commit them first.
set -euo pipefail

keep=""
if [ "${1:-}" = "--keep" ]; then
  keep=yes
  shift
fi
repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/var/tmp/gorvane-fresh}

if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" ${keep:+--keep} "$work"
fi

root=$work/root
logs=$work/logs
xvfb_pid="" play_pid=""

say() { printf '== %s\n' "$*"; }
seconds_since() { echo $(($(date +%s) - $1)); }
minutes() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }
disk_used() { du -sh --one-file-system "$root" 2>/dev/null | cut -f1; }

unmount_root() {
  local target
  # Deepest first; lazily, so a process still holding a file cannot keep a mount alive.
  for target in $(findmnt -rn -o TARGET | grep -F "$root/" | sort -r); do
    umount -l "$target" 2>/dev/null || true
  done
  if findmnt -rn -o TARGET | grep -qxF "$root"; then umount -l "$root" 2>/dev/null || true; fi
}

cleanup() {
  if [ -n "$play_pid" ] && kill -0 "$play_pid" 2>/dev/null; then kill "$play_pid" 2>/dev/null || true; fi
  # Whatever the root still runs (an X server of the tests, a Wine server) ends with it.
  [ -d "$root" ] && for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null
  done
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  unmount_root
  if [ -z "$keep" ] && [ -d "$root" ]; then
    if findmnt -rn -o TARGET | grep -qF "$root/"; then
      echo "something is still mounted under $root: not removing it" >&2
    else
      rm -rf --one-file-system "$root"
    fi
  fi
}
trap cleanup EXIT

# What this script needs out here: debootstrap, and an X server with the tools to answer the game.
needed=()
for package in debootstrap xvfb x11-utils xdotool git; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || needed+=("$package")
done
if [ ${#needed[@]} -gt 0 ]; then
  apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${needed[@]}" >/dev/null
fi

mkdir -p "$work" "$logs"
unmount_root
rm -rf --one-file-system "$root"

say "A clean Debian 12 root in $root"
started=$(date +%s)
debootstrap --variant=minbase bookworm "$root" "$("$repo/scripts/archive-uri.sh")" >"$logs/debootstrap.log" 2>&1 ||
  { tail -n 20 "$logs/debootstrap.log" >&2; exit 1; }
# The machine's own Debian sources (main archive, updates, security), nothing else it may have configured.
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  rm -f "$root/etc/apt/sources.list"
  cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
else
  grep -E '^deb(-src)? .*debian' /etc/apt/sources.list >"$root/etc/apt/sources.list"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
echo "   made in $(minutes "$(seconds_since "$started")")"

# The root's / a mount point, as on any machine: a mount namespace of its own (the tests' 32-bit Wine root)
# needs one.
mount --bind "$root" "$root"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind /dev/shm "$root/dev/shm"

# The X server lives out here; its socket directory is shared with the root. -noreset: see tests/e2e/lib.sh.
mkdir -p /tmp/.X11-unix "$root/tmp/.X11-unix"
chmod 1777 /tmp/.X11-unix
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 640x480x24 -nolisten tcp -noreset >"$logs/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 5>&-
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

git clone -q "$repo" "$root/root/gorvane"

# A command in the root as a newcomer's shell would run it: a bare environment, root's home, the checkout.
in_root() {
  chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 TERM=dumb "$@"
}

window_named() {
  xwininfo -root -children 2>/dev/null | awk -v n="\"$1\"" 'index($0, n) {print $1; exit}'
}

# Waits up to SECONDS for a top-level window named NAME while the play command runs; prints its id.
wait_window() {
  local name=$1 seconds=$2 id
  for _ in $(seq $((seconds * 10))); do
    id=$(window_named "$name")
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$play_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

play_failed() {
  echo "FAIL: $*" >&2
  tail -n 40 "$logs/play.log" >&2
  exit 1
}

# Runs COMMAND every 100 ms until it succeeds, for up to SECONDS; fails if it never does.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

play_ended() { ! kill -0 "$play_pid" 2>/dev/null; }
# The caption the build in the root gives the game (play.sh builds the preset play).
game_shown() {
  local caption
  caption=$(sed -n 's/^#define GORVANE_CAPTION "\(.*\)"$/\1/p' "$root/root/gorvane/build/play/include/app/version.h" 2>/dev/null)
  [ -n "$caption" ] && [ -n "$(window_named "$caption")" ]
}

say "./scripts/play.sh"
started=$(date +%s)
in_root env DISPLAY="$DISPLAY" bash -c 'cd /root/gorvane && ./scripts/play.sh' >"$logs/play.log" 2>&1 &
play_pid=$!
box=$(wait_window "Start FullScreen?" 1800) || play_failed "the start question did not appear"
asked=$(seconds_since "$started")
# Yes (Return; the screen is 640x480, the game's own mode) until the game's window shows: a key that reaches the
# box before it takes keys is lost, so it is sent again every few seconds.
answered=""
for _ in $(seq 20); do
  xdotool key --window "$box" Return 2>/dev/null
  wait_until 3 game_shown && { answered=yes; break; }
  play_ended && break
done
[ -n "$answered" ] || play_failed "no game window after answering Yes"
# Escape held until the game has ended.
xdotool keydown Escape 2>/dev/null
wait_until 60 play_ended || true
xdotool keyup Escape 2>/dev/null
play_ended || play_failed "the game did not end on Escape"
status=0
wait "$play_pid" || status=$?
play_pid=""
[ "$status" -lt 128 ] || play_failed "the game ended with status $status"
echo "   the start question after $(minutes "$asked"), the game ended on Escape after" \
  "$(minutes "$(seconds_since "$started")"); the root holds $(disk_used)"

say "./scripts/test.sh (as CI runs it)"
started=$(date +%s)
status=0
in_root env CI=true bash -c 'cd /root/gorvane && bash .ci/run' >"$logs/test.log" 2>&1 || status=$?
took=$(minutes "$(seconds_since "$started")")
if [ "$status" -ne 0 ]; then
  tail -n 60 "$logs/test.log" >&2
  echo "FAIL: test.sh ended with status $status after $took (the whole log: $logs/test.log)" >&2
  exit 1
fi
grep -E '^(setup:|note:|made the 32-bit)' "$logs/test.log" | sed 's/^/   /' || true
echo "   passed in $took; the root holds $(disk_used)"
say "Both commands work on a fresh Debian 12 (logs in $logs)"
