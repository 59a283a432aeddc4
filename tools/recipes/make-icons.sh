#!/bin/bash
# Draws the game's icon at the hicolor theme's usual sizes into OUTDIR/NxN/gorvane.png, from the title
# picture in DATADIR (default: the repository's data/): the waterfall between its rocks, in the picture's own
# gold frame. Needs ImageMagick; the same package version gives the same bytes on every run.
set -euo pipefail

out=${1:?usage: make-icons.sh OUTDIR [DATADIR]}
here=$(cd "$(dirname "$0")" && pwd)
data=${2:-$here/../../data}
IM=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The title picture is 256x128 inside a 7-pixel frame; the falls stand at x = 137. The master is 256x256:
# the square around the falls, doubled pixel for pixel, then framed.
$IM "$data/title.bmp" -crop 114x114+80+7 +repage -scale 200% \
  -bordercolor '#7a5a1c' -border 4 -bordercolor '#c9a23f' -border 10 "$tmp/master.png"

for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$out/${size}x${size}"
  $IM "$tmp/master.png" -filter Lanczos -resize "${size}x${size}" -strip \
    -define png:exclude-chunks=date,time "PNG32:$out/${size}x${size}/gorvane.png"
done
