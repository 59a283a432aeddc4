#!/usr/bin/env bash
# Renews the pictures of the shipped level: draws every view of tests/data/views.txt with the asset tool into
# tests/data/views/ (the data tests compare the tool's drawing with them) and, but for the title, into
# docs/screenshots/ (the README's pictures). Run it after a change that changes what a player sees, and look at
# the pictures before committing them. Usage: scripts/views.sh [path/to/gorvane-assets]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$here/build/dev/tools/gorvane-assets}
[ -x "$tool" ] || { echo "no asset tool at $tool: build it first (cmake --build --preset dev)" >&2; exit 1; }

while read -r name arguments; do
  case "$name" in '' | '#'*) continue ;; esac
  # shellcheck disable=SC2086
  "$tool" view "$here/data" $arguments --png "$here/tests/data/views/$name.png"
  [ "$name" = title ] || cp "$here/tests/data/views/$name.png" "$here/docs/screenshots/$name.png"
  echo "  $name.png"
done <"$here/tests/data/views.txt"
