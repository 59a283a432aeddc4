#!/bin/bash
# Regenerates the data into a temporary directory and compares it byte for byte with the shipped data/, and
# the icons made from it with packaging/icons/.
# Not part of the default test run: a newer Debian package may change a byte of a picture or a sound, and
# that is no fault of the game. Exit 0 when every file matches, 1 otherwise (the differing files are listed).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
data=${1:-$here/../../data}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$here/make-data.sh" "$tmp" >/dev/null

status=0
for made in "$tmp"/*; do
  name=$(basename "$made")
  if ! cmp -s "$made" "$data/$name"; then
    echo "differs: $name"
    status=1
  fi
done
for shipped in "$data"/*; do
  name=$(basename "$shipped")
  [ -e "$tmp/$name" ] || { echo "not made by the recipes: $name"; status=1; }
done
icons=$(mktemp -d)
trap 'rm -rf "$tmp" "$icons"' EXIT
"$here/make-icons.sh" "$icons" "$tmp"
shipped_icons=$here/../../packaging/icons
if ! diff -r "$icons" "$shipped_icons" >/dev/null; then
  echo "differs: packaging/icons"
  status=1
fi
[ "$status" = 0 ] && echo "data/ and packaging/icons/ match the recipes ($(ls "$tmp" | wc -l) files)"
exit "$status"
