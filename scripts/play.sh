#!/usr/bin/env bash
# Builds the game, installs it with its data under build/install, and starts it with the installed launcher,
# which runs it from its data directory.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh play
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DGORVANE_BENCH=OFF -DGORVANE_TESTS=OFF >/dev/null
cmake --build build/release
cmake --install build/release --prefix "$PWD/build/install" >/dev/null
exec build/install/games/gorvane "$@"
