#!/usr/bin/env bash
# Installs the Debian packages the game needs: `setup.sh play` to build and run it, `setup.sh test` for
# everything the tests, fuzzers, benchmarks and the Windows builds need as well. Safe to run again.
set -euo pipefail

profile=${1:-test}
play_packages=(cmake ninja-build g++ pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libx11-dev
  xfonts-base)
test_packages=(clang libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth x11-utils xdotool imagemagick
  libstb-dev libassimp-dev sox espeak-ng g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64)

packages=("${play_packages[@]}")
[ "$profile" = "test" ] && packages+=("${test_packages[@]}")

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
# 32-bit Wine runs the 32-bit Windows build where the kernel can execute 32-bit programs.
if [ "$profile" = "test" ] && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  missing+=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if printf '%s\n' "${missing[@]}" | grep -q ':i386'; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}" >/dev/null
