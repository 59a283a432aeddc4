#!/usr/bin/env bash
# Builds everything and runs every test, as a list of steps; each is a build of CMakePresets.json and its tests,
# or a check of what players install. `scripts/test.sh` runs them all in order; `scripts/test.sh STEP...` runs
# only those (each builds what it needs first):
#   windows      the 32-bit Windows programs (and the 64-bit build of the same sources), and the check that they
#                import only the system's own DLLs
#   web          the web page (build/web/page), and the loaders' tests and seed replays built for it, under node
#   sanitize     the game, the tools, every test and benchmark under AddressSanitizer and UBSan, the end-to-end
#                tests in their own Xvfb and the page's in headless Chromium
#   release      the same tests in the build players get (Release, hardened)
#   packages     the .deb, the tarball and the Windows zip, made from those builds, then installed, started and
#                removed (tests/package/), the zip's programs under Wine
#   loaders-32   the file loaders, their tests and the fuzz seed replays on 32-bit x86
#   fuzz         every fuzz target for GORVANE_FUZZ_SECONDS (60) each, in the Clang build
# Warnings in our own code are errors in every build made here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export GORVANE_FUZZ_SECONDS=${GORVANE_FUZZ_SECONDS:-60}
all_steps=(windows web sanitize release packages loaders-32 fuzz)

step_windows() {
  cmake --workflow --preset windows
  cmake --preset windows64 >/dev/null && cmake --build --preset windows64
}

step_web() {
  cmake --workflow --preset web
  cmake --workflow --preset web-loaders
}

step_sanitize() { cmake --workflow --preset sanitize; }

step_release() { cmake --workflow --preset release; }

step_packages() {
  scripts/package.sh
  # The end-to-end helpers of the sanitized build, and the 64-bit Windows program where 32-bit Wine cannot run.
  [ -x build/sanitize/tests/look ] || cmake --build --preset sanitize --target look
  [ -f build/windows64/gorvane.exe ] || { cmake --preset windows64 >/dev/null && cmake --build --preset windows64; }
  export GORVANE_LOOK=$root/build/sanitize/tests/look GORVANE_WIN64_EXE=$root/build/windows64/gorvane.exe
  GORVANE_CAPTION=$(sed -n 's/^#define GORVANE_CAPTION "\(.*\)"$/\1/p' build/release/include/app/version.h)
  export GORVANE_CAPTION
  tests/package/check_packages.sh dist
  tests/package/test_deb.sh dist/gorvane_*.deb
  tests/package/test_tarball.sh dist/gorvane-*-linux-*.tar.gz
  local status=0
  tests/package/test_zip.sh dist/gorvane-*-windows-x86.zip || status=$?
  # 77: no Wine at all can run here, which the test has said.
  [ "$status" = 0 ] || [ "$status" = 77 ]
}

step_loaders-32() {
  local emulator=()
  if ! scripts/kernel-runs-32bit.sh; then
    emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR=qemu-i386)
    echo "this kernel does not run 32-bit programs: the 32-bit tests run under qemu-i386"
  fi
  cmake --preset loaders-32 "${emulator[@]}" >/dev/null
  cmake --build --preset loaders-32
  ctest --preset loaders-32
}

step_fuzz() { cmake --workflow --preset fuzz; }

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=("${all_steps[@]}")
for step in "${steps[@]}"; do
  declare -F "step_$step" >/dev/null || { echo "usage: test.sh [${all_steps[*]}]..." >&2; exit 2; }
done
scripts/setup.sh test
for step in "${steps[@]}"; do
  echo "== $step"
  "step_$step"
done
echo "== All tests passed"
