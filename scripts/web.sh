#!/usr/bin/env bash
# Builds the game's page with emscripten and runs the tests it needs no desktop build for:
#   build/web/page/          index.html, gorvane.js, gorvane.wasm: the page's program files (serve them with the
#                            data files beside them)
#   build/web-loaders/       the loaders' tests and the fuzz seed replays, built the same way and run under node
# The browser tests, which play the page in headless Chromium, are tests of the desktop build (ctest -L e2e: they
# use its asset tool); given a desktop build directory, they are run here too:
#   scripts/web.sh [DESKTOP_BUILD_DIR]
# Installs nothing: scripts/setup.sh test (or package) installs emscripten, Chromium and the driver.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== The web page"
cmake -S . -B build/web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DCMAKE_BUILD_TYPE=Release \
  -DGORVANE_WERROR=ON >/dev/null
cmake --build build/web -j "$jobs"
ls -l build/web/page

echo "== The loaders under node"
cmake -S . -B build/web-loaders -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGORVANE_LOADERS_ONLY=ON -DGORVANE_WERROR=ON >/dev/null
cmake --build build/web-loaders -j "$jobs"
(cd build/web-loaders && ctest --output-on-failure --timeout 600)

if [ $# -ge 1 ]; then
  echo "== The page in headless Chromium"
  (cd "$1" && ctest --output-on-failure --timeout 600 -L e2e -R '^e2e_test_web_')
fi
