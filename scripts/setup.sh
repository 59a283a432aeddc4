#!/usr/bin/env bash
# Installs the Debian packages the game needs: `setup.sh play` to build and run it, `setup.sh package` to make
# the packages players install (scripts/package.sh), `setup.sh test` for everything the tests, fuzzers,
# benchmarks, packages and the Windows builds need as well. Safe to run again.
#
# The package archive is sometimes briefly inconsistent (an index mid-sync, one architecture's libraries a
# version behind the other's). A failing index alone does not end the run: the install after it decides. The
# 32-bit Wine is optional and comes last, in a root of its own: where it cannot be had, the Windows end-to-end
# tests run the 64-bit build instead.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

profile=${1:-test}
case "$profile" in
  play | package | test) ;;
  *) echo "usage: setup.sh [play|package|test]" >&2; exit 2 ;;
esac

play_packages=(cmake ninja-build g++ pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libx11-dev
  libstb-dev xfonts-base)
# dpkg-shlibdeps and file for the .deb's dependencies; lintian, desktop-file-validate and appstreamcli to check
# what is packaged; assimp for the packaged asset tool's scene import and export; emscripten for the web page (its
# zip, and the page the packaged asset tool publishes levels with). The packages are made from the build that
# the tests run in, so what that build needs to configure comes too.
package_packages=(g++-mingw-w64-i686-posix dpkg-dev file lintian desktop-file-utils appstream unzip libassimp-dev
  emscripten libgtest-dev libgmock-dev libbenchmark-dev libxfixes-dev)
# Blender, with the numpy its glTF exporter needs, for the tests that make and open levels in it. Chromium, its
# driver and Debian's selenium for the browser tests, which play the web page headless; stress-ng to run the
# tests on a busy machine (scripts/under-load.sh).
test_packages=(clang libclang-rt-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth x11-utils libxfixes-dev
  xdotool imagemagick sox espeak-ng g++-mingw-w64-x86-64-posix wine wine64 g++-multilib
  man-db debootstrap blender python3-numpy chromium chromium-driver python3-selenium
  stress-ng)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -qq --no-install-recommends -o DPkg::Lock::Timeout=600)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# The packages of the list that are not installed yet, one per line.
missing_of() {
  local package
  for package in "$@"; do
    installed "$package" || echo "$package"
  done
}

# Refreshes the package index, three times if it fails; says so and goes on with the index as it is.
refresh_index() {
  local attempt
  for attempt in 1 2 3; do
    $sudo apt-get update -qq -o DPkg::Lock::Timeout=600 -o Acquire::Retries=2 && return 0
    echo "setup: apt-get update failed (attempt $attempt of 3)" >&2
    [ "$attempt" -lt 3 ] && sleep $((attempt * 10))
  done
  echo "setup: going on with the package index as it is" >&2
  return 1
}

# Installs the packages; a failed install is tried again after a fresh look at the index.
install_packages() {
  local attempt
  for attempt in 1 2 3; do
    $sudo apt-get install "${apt_options[@]}" "$@" >/dev/null && return 0
    echo "setup: apt-get install failed (attempt $attempt of 3)" >&2
    [ "$attempt" -lt 3 ] && { sleep $((attempt * 10)); refresh_index || true; }
  done
  return 1
}

# 32-bit Wine, to run the 32-bit Windows programs as they are shipped. Optional, and never from this machine's
# own package system: a 32-bit Wine installed here already is used; otherwise a 32-bit Debian root holding one
# is made once and kept (scripts/wine32-root.sh). Where none can be had, one line says why and the Windows
# end-to-end tests run the 64-bit build.
provide_wine32() {
  local why
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  if ! "$here/kernel-runs-32bit.sh"; then
    echo "setup: this kernel does not run 32-bit programs; the Windows end-to-end tests will run the 64-bit build"
    return 0
  fi
  "$here/wine32-root.sh" path >/dev/null && return 0
  echo "Making the 32-bit Wine root (once; about a minute and 1.1 GB)"
  why=$("$here/wine32-root.sh" make | tail -n 1) && { echo "$why"; return 0; }
  echo "setup: no 32-bit Wine: $why; the Windows end-to-end tests will run the 64-bit build"
}

packages=("${play_packages[@]}")
[ "$profile" != "play" ] && packages+=("${package_packages[@]}")
[ "$profile" = "test" ] && packages+=("${test_packages[@]}")
mapfile -t missing < <(missing_of "${packages[@]}")
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  refresh_index || true
  if ! install_packages "${missing[@]}"; then
    echo "setup: could not install the packages the build needs: ${missing[*]}" >&2
    exit 1
  fi
fi
if [ "$profile" = "test" ]; then
  # The 32-bit build of the loaders runs its tests natively, or under user-mode emulation where the kernel
  # cannot run 32-bit programs.
  if ! "$here/kernel-runs-32bit.sh" && ! installed qemu-user; then
    echo "Installing: qemu-user (this kernel does not run 32-bit programs)"
    install_packages qemu-user || { echo "setup: could not install qemu-user" >&2; exit 1; }
  fi
  provide_wine32
fi
exit 0
