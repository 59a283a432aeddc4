#!/bin/bash
# Draws the seventeen bitmaps into OUTDIR with ImageMagick. Every picture has power-of-two sides; noise has
# fixed seeds and blurs wrap around the edges (-virtual-pixel tile), so tiling textures join without seams and
# every run gives the same bytes. Metadata and dates are stripped.
#
# Encodings, chosen so the shipped data exercises the decoder:
#   24-bit, 40-byte header:            floor1 door1 wall1 crate tree brick1 waterfall title energy pressX
#   8-bit palette, 40-byte header:     green door2 intro waterfall2
#   8-bit palette, 12-byte core header: sand
#   8-bit palette, RLE8:               red
#   4-bit palette:                     potion
set -euo pipefail

out=${1:?usage: make-textures.sh OUTDIR}
mkdir -p "$out"
IM=/usr/bin/convert
FONTS=/usr/share/fonts/truetype/dejavu
if [ ! -f "$FONTS/DejaVuSerif-Bold.ttf" ]; then
  apt-get install -y fonts-dejavu-core >/dev/null
fi
SERIF_BOLD=$FONTS/DejaVuSerif-Bold.ttf
SANS_BOLD=$FONTS/DejaVuSans-Bold.ttf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A grey noise field of WxH that tiles: seed, blur sigma.
noise() {
  $IM -size "$1" xc:gray50 -seed "$2" +noise Random -virtual-pixel tile -blur "0x$3" -colorspace gray \
    -auto-level "$4"
}

# Writers: 24-bit, 8-bit palette (40-byte header), 8-bit core header, 8-bit RLE8, 4-bit.
STRIP=(-strip +set date:create +set date:modify)
write24() { $IM "$1" "${STRIP[@]}" -type TrueColor -compress None -define bmp:format=bmp3 "BMP3:$out/$2"; }
write8() { $IM "$1" "${STRIP[@]}" +dither -colors 256 -type Palette -compress None -define bmp:format=bmp3 "BMP3:$out/$2"; }
write8core() { $IM "$1" "${STRIP[@]}" +dither -colors 256 -type Palette -compress None -define bmp:format=bmp2 "BMP2:$out/$2"; }
write8rle() {
  $IM "$1" "${STRIP[@]}" +dither -colors 256 -type Palette -compress RLE -define bmp:format=bmp3 "BMP3:$out/$2"
}
write4() { $IM "$1" "${STRIP[@]}" +dither -colors 16 -type Palette -compress None -define bmp:format=bmp3 "BMP3:$out/$2"; }

# floor1: 4 x 4 worn stone flags with dark joints, each flag a slightly different shade.
noise 128x128 11 1.2 "$tmp/n_floor.png"
shades=""
for row in 0 1 2 3; do
  for col in 0 1 2 3; do
    k=$(((row * 5 + col * 3) % 7))
    tone=$((150 + k * 9))
    shades+=" -fill 'rgb($tone,$((tone - 8)),$((tone - 22)))' -draw 'rectangle $((col * 32 + 1)),$((row * 32 + 1)) $((col * 32 + 30)),$((row * 32 + 30))'"
  done
done
eval "$IM -size 128x128 xc:'#4c463e' $shades \"$tmp/flags.png\""
$IM "$tmp/flags.png" "$tmp/n_floor.png" -compose overlay -composite "$tmp/floor1.png"
write24 "$tmp/floor1.png" floor1.bmp

# wall1: rough grey stone courses (4 courses of 32 px), joints staggered, wrapping left to right.
noise 128x128 12 1.0 "$tmp/n_wall.png"
stones=""
joints=("0 40 84" "20 62 104" "8 52 92" "30 74 112")
for row in 0 1 2 3; do
  read -r -a js <<<"${joints[$row]}"
  for k in 0 1 2; do
    a=${js[$k]}
    if [ "$k" -lt 2 ]; then b=${js[$((k + 1))]}; else b=$((${js[0]} + 128)); fi
    tone=$((118 + ((row * 3 + k * 5) % 6) * 11))
    fill="rgb($tone,$((tone - 2)),$((tone - 6)))"
    stones+=" -fill '$fill' -draw 'roundrectangle $((a + 2)),$((row * 32 + 2)) $((b - 2)),$((row * 32 + 29)) 5,5'"
    if [ "$b" -gt 128 ]; then
      stones+=" -draw 'roundrectangle $((a + 2 - 128)),$((row * 32 + 2)) $((b - 2 - 128)),$((row * 32 + 29)) 5,5'"
    fi
  done
done
eval "$IM -size 128x128 xc:'#3e3b37' $stones \"$tmp/stones.png\""
$IM "$tmp/stones.png" "$tmp/n_wall.png" -compose overlay -composite -virtual-pixel tile -blur 0x0.5 \
  "$tmp/wall1.png"
write24 "$tmp/wall1.png" wall1.bmp

# brick1: red bricks in running bond, 8 courses of 16 px, bricks 32 px long, light mortar.
noise 128x128 13 0.7 "$tmp/n_brick.png"
bricks=""
for row in 0 1 2 3 4 5 6 7; do
  off=$(((row % 2) * 16))
  for k in 0 1 2 3 4; do
    a=$((k * 32 - off))
    tone=$((((row * 7 + k * 3) % 5) * 9))
    fill="rgb($((150 + tone)),$((62 + tone / 2)),$((44 + tone / 3)))"
    bricks+=" -fill '$fill' -draw 'rectangle $((a + 1)),$((row * 16 + 1)) $((a + 30)),$((row * 16 + 14))'"
  done
done
eval "$IM -size 128x128 xc:'#b9b1a3' $bricks \"$tmp/bricks.png\""
$IM "$tmp/bricks.png" "$tmp/n_brick.png" -compose overlay -composite "$tmp/brick1.png"
write24 "$tmp/brick1.png" brick1.bmp

# Wood grain: noise stretched along x.
$IM -size 128x128 xc:gray50 -seed 14 +noise Random -virtual-pixel tile -motion-blur 0x18+0 -colorspace gray \
  -auto-level "$tmp/n_grain.png"

# crate: a planked face in a heavy frame with a diagonal brace and nails.
$IM -size 128x128 xc:'#a0703c' "$tmp/n_grain.png" -compose overlay -composite \
  -fill none -stroke '#5a3a1a' -strokewidth 2 \
  -draw 'line 0,42 127,42' -draw 'line 0,85 127,85' \
  -stroke '#6e4720' -strokewidth 16 -draw 'line 12,116 116,12' \
  -stroke '#4a2e12' -strokewidth 2 -draw 'line 4,114 114,4' -draw 'line 14,124 124,14' \
  -fill none -stroke '#6e4720' -strokewidth 16 -draw 'rectangle 8,8 119,119' \
  -stroke '#3e2610' -strokewidth 2 -draw 'rectangle 1,1 126,126' -draw 'rectangle 16,16 111,111' \
  -stroke none -fill '#2a2a2a' \
  -draw 'circle 8,8 10,10' -draw 'circle 119,8 121,10' -draw 'circle 8,119 10,121' -draw 'circle 119,119 121,121' \
  -draw 'circle 64,8 66,10' -draw 'circle 64,119 66,121' -draw 'circle 8,64 10,66' -draw 'circle 119,64 121,66' \
  "$tmp/crate.png"
write24 "$tmp/crate.png" crate.bmp

# door1: a plank door with two ledges, a brace, black iron hinges and a ring pull.
planks=""
for k in 0 1 2 3 4 5 6 7; do
  planks+=" -draw 'line $((k * 16)),0 $((k * 16)),127'"
done
eval "$IM -size 128x128 xc:'#8c5a2c' \"$tmp/n_grain.png\" -rotate 90 -compose overlay -composite \
  -stroke '#3c2410' -strokewidth 2 $planks \
  -stroke '#5e3a18' -strokewidth 12 -draw 'line 0,26 127,26' -draw 'line 0,100 127,100' \
  -draw 'line 10,96 118,30' \
  -stroke '#1c1c1c' -strokewidth 7 -draw 'line 0,26 54,26' -draw 'line 0,100 54,100' \
  -stroke none -fill '#1c1c1c' -draw 'circle 54,26 58,28' -draw 'circle 54,100 58,102' \
  -fill none -stroke '#2a2a2a' -strokewidth 3 -draw 'circle 104,64 112,64' \
  -stroke '#3c2410' -strokewidth 4 -draw 'rectangle 1,1 126,126' \"$tmp/door1.png\""
write24 "$tmp/door1.png" door1.bmp

# door2: a heavy dark door with iron bands and studs, set in a stone frame.
$IM -size 64x128 xc:'#5a3a22' \( "$tmp/n_grain.png" -rotate 90 -resize 64x128\! \) -compose overlay -composite \
  -stroke '#2e1c0e' -strokewidth 2 -draw 'line 16,0 16,127' -draw 'line 32,0 32,127' -draw 'line 48,0 48,127' \
  -stroke '#2b2b2e' -strokewidth 6 -draw 'line 0,24 63,24' -draw 'line 0,64 63,64' -draw 'line 0,104 63,104' \
  -stroke none -fill '#8e8e96' \
  -draw 'circle 8,24 10,24' -draw 'circle 24,24 26,24' -draw 'circle 40,24 42,24' -draw 'circle 56,24 58,24' \
  -draw 'circle 8,64 10,64' -draw 'circle 24,64 26,64' -draw 'circle 40,64 42,64' -draw 'circle 56,64 58,64' \
  -draw 'circle 8,104 10,104' -draw 'circle 24,104 26,104' -draw 'circle 40,104 42,104' \
  -draw 'circle 56,104 58,104' \
  -fill '#c8a040' -draw 'circle 50,80 53,80' \
  -fill none -stroke '#6a6560' -strokewidth 6 -draw 'rectangle 2,2 61,125' \
  "$tmp/door2.png"
write8 "$tmp/door2.png" door2.bmp

# sand: fine beige grains over soft dunes.
noise 128x128 15 4 "$tmp/n_dune.png"
noise 128x128 16 0.5 "$tmp/n_grain2.png"
$IM -size 128x128 xc:'#d2b67e' "$tmp/n_dune.png" -compose softlight -composite \
  "$tmp/n_grain2.png" -compose overlay -composite -modulate 100,90 "$tmp/sand.png"
write8core "$tmp/sand.png" sand.bmp

# green: grass, fine tufts over darker and lighter patches, with no direction so it reads the same from any
# side when seen at a low angle.
noise 128x128 17 0.6 "$tmp/n_blades.png"
noise 128x128 18 6 "$tmp/n_patch.png"
$IM "$tmp/n_blades.png" -threshold 78% -negate "$tmp/n_tufts.png"
$IM -size 128x128 xc:'#4f8a32' "$tmp/n_patch.png" -compose softlight -composite \
  "$tmp/n_blades.png" -compose overlay -composite \
  \( -size 128x128 xc:'#86b84e' \) +swap "$tmp/n_tufts.png" -compose over -composite "$tmp/green.png"
write8 "$tmp/green.png" green.bmp

# tree: bark in the left quarter (u 0 to 0.25), leaves in the rest.
$IM -size 32x128 xc:gray50 -seed 19 +noise Random -virtual-pixel tile -motion-blur 0x10+90 -colorspace gray \
  -auto-level \( -size 32x128 xc:'#6b4a2e' \) +swap -compose overlay -composite "$tmp/bark.png"
noise 96x128 20 1.6 "$tmp/n_leaf.png"
$IM "$tmp/n_leaf.png" -threshold 45% "$tmp/n_leafmask.png"
$IM -size 96x128 xc:'#2e6a26' \( -size 96x128 xc:'#1a4218' \) "$tmp/n_leafmask.png" -composite \
  "$tmp/n_leaf.png" -compose overlay -composite "$tmp/leaves.png"
$IM "$tmp/bark.png" "$tmp/leaves.png" +append "$tmp/tree.png"
write24 "$tmp/tree.png" tree.bmp

# red: a woven rug with a border, a central medallion and fringes, in flat colours (it compresses as RLE8).
$IM -size 128x128 xc:'#8e1c1c' \
  -fill '#e8d8a8' -draw 'rectangle 0,0 127,5' -draw 'rectangle 0,122 127,127' \
  -fill '#5a1010' -draw 'rectangle 6,6 121,121' \
  -fill '#b02828' -draw 'rectangle 14,14 113,113' \
  -fill '#d8a838' -draw 'polygon 64,22 106,64 64,106 22,64' \
  -fill '#1e3a6a' -draw 'polygon 64,34 94,64 64,94 34,64' \
  -fill '#e8d8a8' -draw 'polygon 64,48 80,64 64,80 48,64' \
  -fill '#d8a838' -draw 'polygon 14,14 30,14 14,30' -draw 'polygon 113,14 97,14 113,30' \
  -draw 'polygon 14,113 30,113 14,97' -draw 'polygon 113,113 97,113 113,97' \
  "$tmp/red.png"
write8rle "$tmp/red.png" red.bmp

# energy: a status bar, a framed column running from red at the bottom to green at the top, in segments.
$IM -size 56x120 gradient:'#3cdc3c-#dc2c2c' \
  -fill none -stroke '#102010' -strokewidth 2 \
  -draw 'line 0,15 55,15' -draw 'line 0,30 55,30' -draw 'line 0,45 55,45' -draw 'line 0,60 55,60' \
  -draw 'line 0,75 55,75' -draw 'line 0,90 55,90' -draw 'line 0,105 55,105' \
  -bordercolor '#d8d0b0' -border 2 -bordercolor '#202020' -border 2 "$tmp/energy.png"
write24 "$tmp/energy.png" energy.bmp

# waterfall: falling water, long vertical streaks in white and pale blue, wrapping top to bottom.
$IM -size 128x128 xc:gray50 -seed 21 +noise Random -virtual-pixel tile -motion-blur 0x24+90 -colorspace gray \
  -auto-level -sigmoidal-contrast 4,50% "$tmp/n_fall.png"
$IM -size 128x128 xc:'#6a9cd0' "$tmp/n_fall.png" -compose hardlight -composite -modulate 110,80 \
  "$tmp/waterfall.png"
write24 "$tmp/waterfall.png" waterfall.bmp

# waterfall2: the pool's surface, blue with pale ripples of foam.
noise 128x128 22 3 "$tmp/n_pool.png"
$IM -size 128x128 xc:'#3a7ab2' "$tmp/n_pool.png" -compose softlight -composite \
  \( "$tmp/n_pool.png" -virtual-pixel tile -morphology EdgeIn Diamond:1 -auto-level -level 30%,100% \) \
  -compose screen -composite "$tmp/waterfall2.png"
write8 "$tmp/waterfall2.png" waterfall2.bmp

# title: a painting of the valley in a gilt frame: sky, hills, the falls between rocks, the hut.
$IM -size 256x128 gradient:'#8ab4e8-#e8d8b8' \
  -fill '#5a7a9a' -draw 'polygon 0,70 40,40 80,62 130,30 180,58 220,36 256,60 256,128 0,128' \
  -fill '#7a7468' -draw 'polygon 100,90 110,40 126,38 128,90' -draw 'polygon 148,90 146,36 164,40 172,90' \
  -fill '#dceaf8' -draw 'rectangle 128,44 146,92' \
  -fill '#4a8a30' -draw 'polygon 0,92 60,80 128,90 200,82 256,92 256,128 0,128' \
  -fill '#d2b67e' -draw 'polygon 118,128 134,92 140,92 150,128' \
  -fill '#8a8478' -draw 'rectangle 40,92 74,112' -fill '#6a3a20' -draw 'rectangle 60,100 68,112' \
  -fill '#2e5a22' -draw 'polygon 200,100 210,70 220,100' -draw 'polygon 222,104 232,66 242,104' \
  -draw 'polygon 14,100 22,76 30,100' \
  -bordercolor '#c8a040' -border 4 -bordercolor '#7a5a1a' -border 4 -resize 256x128\! "$tmp/title.png"
write24 "$tmp/title.png" title.bmp

# intro: a notice board by the yard gate.
$IM -size 256x128 xc:'#9a7040' "$tmp/n_grain.png" -resize 256x128\! -compose overlay -composite \
  -fill none -stroke '#4a3018' -strokewidth 6 -draw 'rectangle 3,3 252,124' \
  -stroke none -fill '#2a1a0c' -font "$SERIF_BOLD" -pointsize 26 -gravity north -annotate +0+12 'GORVANE' \
  -font "$SANS_BOLD" -pointsize 14 -annotate +0+52 'The falls lie to the north.' \
  -annotate +0+74 'Walk while the sun is up.' -annotate +0+96 'Dusk comes soon.' \
  "$tmp/intro.png"
write8 "$tmp/intro.png" intro.bmp

# pressX: the title picture: the game's name over a night valley, and the key to press.
$IM -size 256x256 gradient:'#0a0a2a-#3a2a5a' \
  -fill '#1a1a34' -draw 'polygon 0,190 40,150 90,176 140,128 196,170 230,146 256,168 256,256 0,256' \
  -fill '#101022' -draw 'polygon 0,220 60,196 130,214 200,192 256,212 256,256 0,256' \
  -fill '#f0f0d0' -draw 'circle 206,48 206,60' -fill '#3a2a5a' -draw 'circle 200,44 200,56' \
  -fill '#e8e8ff' -draw 'point 30,30' -draw 'point 70,58' -draw 'point 120,24' -draw 'point 160,70' \
  -draw 'point 240,100' -draw 'point 20,110' -draw 'point 96,96' \
  -font "$SERIF_BOLD" -pointsize 50 -gravity north \
  -fill '#00000080' -annotate +3+63 'Gorvane' \
  -stroke '#5a3a08' -strokewidth 3 -fill '#f0c040' -annotate +0+60 'Gorvane' \
  -stroke none -fill '#fff0b0' -annotate +0+60 'Gorvane' \
  -font "$SANS_BOLD" -pointsize 26 -fill '#ffffff' -stroke '#202040' -strokewidth 1 \
  -annotate +0+170 'Press X' \
  -stroke none -fill '#a0a0c8' -pointsize 11 -annotate +0+206 'arrows walk  -  mouse looks  -  Esc quits' \
  "$tmp/pressX.png"
write24 "$tmp/pressX.png" pressX.bmp

# potion: a round flask of purple potion with a cork, for the model's materials.
$IM -size 64x64 xc:'#202830' \
  -fill '#6a3aa8' -stroke '#c8d0e0' -strokewidth 2 -draw 'circle 32,40 32,58' \
  -fill '#c8d0e0' -stroke none -draw 'rectangle 26,10 38,24' \
  -fill '#8a5a2a' -draw 'rectangle 27,4 37,12' \
  -fill '#b888f0' -draw 'circle 25,34 25,39' \
  "$tmp/potion.png"
write4 "$tmp/potion.png" potion.bmp
