#!/usr/bin/env bash
# A 32-bit Debian 12 root holding 32-bit Wine and Mesa, to run the shipped 32-bit Windows programs on a 64-bit
# machine without adding a single i386 package to the machine itself (its i386 indexes and libraries can be out
# of step with its amd64 ones for days).
#
#   wine32-root.sh make             makes the root once; exits 0 when it is whole, 1 (one line why) when not
#   wine32-root.sh path             prints the root's folder when it is whole, else exits 1
#   wine32-root.sh run DIR CMD...   runs CMD in the root, in DIR, which is shared with the root at its own path
#   wine32-root.sh remove           deletes the root
#
# The root lives in /var/cache/gorvane/wine32-root (GORVANE_WINE32_ROOT names another folder), outside any
# checkout, and is made from the main archive of this machine's apt sources alone: every package of it comes
# from one consistent set. It is built under a temporary name and renamed when whole, so a half-made root is
# never taken for one. `run` mounts what the root needs (/proc, /sys, /dev, the X socket folder, DIR) in a
# mount namespace of its own: the mounts exist only for the command and whatever it leaves running, and vanish
# with them however they end, so nothing is ever left mounted on the machine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=${GORVANE_WINE32_ROOT:-/var/cache/gorvane/wine32-root}
marker=.gorvane-wine32-complete
packages=(wine wine32 libgl1 libglx-mesa0 libgl1-mesa-dri libglu1-mesa)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo -n"

whole() { [ -f "$root/$marker" ]; }

# Runs CMD in the root FOLDER, in DIR (shared with the root at its own path; / shares nothing), with /proc,
# /sys, /dev and the X socket folder mounted in a mount namespace of its own, and DISPLAY, WINEDEBUG and
# WINEPREFIX passed in. With --exec first, the command takes this script's place (and its signals).
enter() {
  local replace=""
  [ "$1" = --exec ] && { replace="exec"; shift; }
  local folder=$1 dir=$2
  shift 2
  # The variables go as arguments: sudo would drop them from the environment.
  $replace $sudo unshare --mount --propagation private -- bash -c '
    set -e
    r=$1 dir=$2 display=$3 debug=$4 prefix=$5
    shift 5
    for m in /proc /sys /dev /dev/pts /dev/shm /tmp/.X11-unix "$dir"; do
      if [ "$m" != / ] && [ -d "$m" ]; then mkdir -p "$r$m" && mount --bind "$m" "$r$m"; fi
    done
    exec chroot "$r" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
      DEBIAN_FRONTEND=noninteractive DISPLAY="$display" WINEDEBUG="$debug" WINEPREFIX="$prefix" WINEARCH=win32 \
      sh -c "cd \"\$0\" && exec \"\$@\"" "$dir" "$@"
  ' bash "$folder" "$dir" "${DISPLAY:-}" "${WINEDEBUG:--all}" "${WINEPREFIX:-/root/.wine}" "$@"
}

# Tries a command three times, with a pause between tries.
three_times() {
  local attempt
  for attempt in 1 2 3; do
    "$@" && return 0
    [ "$attempt" -lt 3 ] && sleep $((attempt * 10))
  done
  return 1
}

make_root() {
  local partial=$root.partial log=$root.log uri started
  whole && return 0
  "$here/kernel-runs-32bit.sh" || { echo "this kernel does not run 32-bit programs"; return 1; }
  [ -z "$sudo" ] || $sudo true 2>/dev/null || { echo "making the root needs root or sudo"; return 1; }
  command -v debootstrap >/dev/null || { echo "debootstrap is not installed"; return 1; }
  # Where / is no mount point (inside a bare chroot) no mount namespace of its own can be made.
  $sudo unshare --mount --propagation private true 2>/dev/null ||
    { echo "no private mount namespace can be made here (is / a mount point?)"; return 1; }
  uri=$("$here/archive-uri.sh") || return 1
  started=$(date +%s)
  $sudo mkdir -p "$(dirname "$root")"
  $sudo rm -rf --one-file-system "$partial"
  : | $sudo tee "$log" >/dev/null
  fresh_debootstrap() {
    $sudo rm -rf --one-file-system "$partial"
    # In a mount namespace of its own too: what debootstrap mounts in the root goes when it ends, however.
    $sudo unshare --mount --propagation private debootstrap --arch=i386 --variant=minbase bookworm "$partial" \
      "$uri" 2>&1 | $sudo tee -a "$log" >/dev/null
    [ "${PIPESTATUS[0]}" -eq 0 ]
  }
  three_times fresh_debootstrap || { echo "debootstrap failed (see $log)"; return 1; }
  echo "deb $uri bookworm main" | $sudo tee "$partial/etc/apt/sources.list" >/dev/null
  $sudo cp /etc/resolv.conf "$partial/etc/resolv.conf"
  install_wine() {
    enter "$partial" / apt-get update -qq -o Acquire::Retries=2 >>"$log" 2>&1 || true
    enter "$partial" / apt-get install -y -qq --no-install-recommends "${packages[@]}" >>"$log" 2>&1
  }
  three_times install_wine || { echo "Wine could not be installed in the root (see $log)"; return 1; }
  enter "$partial" / apt-get clean >>"$log" 2>&1 || true
  enter "$partial" / wine --version >>"$log" 2>&1 || { echo "Wine in the root does not start (see $log)"; return 1; }
  $sudo touch "$partial/$marker"
  $sudo rm -rf --one-file-system "$root"
  $sudo mv "$partial" "$root"
  echo "made the 32-bit Wine root in $root in $(($(date +%s) - started)) s ($($sudo du -sh --one-file-system "$root" | cut -f1))"
}

# Runs CMD in the whole root, in DIR.
run_in_root() {
  local dir
  dir=$(cd "${1:?run needs a folder}" && pwd)
  shift
  whole || { echo "no whole 32-bit Wine root in $root" >&2; return 1; }
  enter --exec "$root" "$dir" "$@"
}

case "${1:-}" in
  make) make_root ;;
  path) whole && echo "$root" ;;
  run) shift; run_in_root "$@" ;;
  remove) $sudo rm -rf --one-file-system "$root" "$root.partial" "$root.log" ;;
  *) echo "usage: wine32-root.sh make | path | run DIR COMMAND... | remove" >&2; exit 2 ;;
esac
