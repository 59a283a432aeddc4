#!/bin/bash
# Regenerates every shipped data file into OUTDIR (default: the repository's data/): the level, the seventeen
# bitmaps and the four WAV files. Needs only Debian packages: python3, imagemagick, fonts-dejavu-core,
# espeak-ng and sox. The same package versions give the same bytes on every run.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../data}
mkdir -p "$out"
/usr/bin/python3 "$here/make_level.py" "$out/world.dat"
"$here/make-textures.sh" "$out"
"$here/make-sounds.sh" "$out"
