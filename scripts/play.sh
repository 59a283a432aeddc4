#!/usr/bin/env bash
# Builds the game, installs it with its data under build/install, and starts it with the installed launcher,
# which runs it from its data directory.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh play
cmake --preset play >/dev/null
cmake --build --preset play
cmake --install build/play --prefix "$PWD/build/install" >/dev/null
exec build/install/games/gorvane "$@"
