#!/bin/bash
# Speaks the three voice clips with espeak-ng and plays the music track with sox into OUTDIR. Every file is
# mono, 22050 Hz, 16-bit PCM. sox runs repeatable (-R) and without dither (-D), so every run gives the same
# bytes.
set -euo pipefail

out=${1:?usage: make-sounds.sh OUTDIR}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
SOX=(sox -R -D)
FORMAT=(-r 22050 -c 1 -b 16 -e signed-integer)

# A voice clip: a deep, slow voice, normalised, with 50 ms of silence either side.
speak() {
  espeak-ng -v en -s 165 -p 35 -a 150 -w "$tmp/raw.wav" "$2"
  "${SOX[@]}" "$tmp/raw.wav" "${FORMAT[@]}" "$out/$1" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse \
    gain -n -1 pad 0.05 0.05
}
speak plokhello.wav "Hello there!"
speak plokitsme.wav "It's me!"
speak plokstart.wav "Let's start!"

# track2: 16 bars of 4 beats at 150 beats a minute, 25.6 s, built from notes whose lengths are whole numbers
# of samples (a beat is 8820). Every note fades in and out, so the track starts and ends in
# silence and loops without a click.
beat=0.4
bar=1.6
note() { # file, length in seconds, tone list..., gain
  local file=$1 length=$2 gain=$3
  shift 3
  "${SOX[@]}" -n "${FORMAT[@]}" "$file" synth "$length" "$@" fade q 0.01 "$length" 0.12 gain "$gain"
}

# A slow pad: one chord a bar, Am F C G, twice; then Am F G E, twice.
chords=("A3 C4 E4" "F3 A3 C4" "C3 E3 G3" "G3 B3 D4" "A3 C4 E4" "F3 A3 C4" "C3 E3 G3" "G3 B3 D4"
        "A3 C4 E4" "F3 A3 C4" "G3 B3 D4" "E3 G#3 B3" "A3 C4 E4" "F3 A3 C4" "G3 B3 D4" "E3 G#3 B3")
bass=(A2 F2 C2 G2 A2 F2 C2 G2 A2 F2 G2 E2 A2 F2 G2 E2)
pad_files=() bass_files=()
for k in "${!chords[@]}"; do
  read -r -a tones <<<"${chords[$k]}"
  "${SOX[@]}" -n "${FORMAT[@]}" "$tmp/pad$k.wav" synth "$bar" sine "${tones[0]}" sine "${tones[1]}" \
    sine "${tones[2]}" remix - fade q 0.3 "$bar" 0.4 gain -18
  pad_files+=("$tmp/pad$k.wav")
  note "$tmp/bass$k.wav" "$bar" -10 pluck "${bass[$k]}"
  bass_files+=("$tmp/bass$k.wav")
done
"${SOX[@]}" "${pad_files[@]}" "$tmp/pad.wav"
"${SOX[@]}" "${bass_files[@]}" "$tmp/bass.wav"

# The tune: a plucked line of quarter and half notes over the chords, resting on the last bar.
melody=(E5 C5 A4 C5  F5 E5 C5 A4  G5 E5 C5 E5  D5 B4 G4 B4
        E5 C5 A4 E5  A5 F5 C5 A4  G5 E5 C5 G4  B4 D5 G5 D5
        C5 E5 A5 E5  C5 F5 A5 F5  D5 G5 B5 G5  B4 E5 G#5 E5
        A5 E5 C5 A4  A4 C5 F5 C5  D5 B4 G4 B4  E5 B4 G#4 E4)
tune_files=()
for k in "${!melody[@]}"; do
  note "$tmp/m$k.wav" "$beat" -14 pluck "${melody[$k]}"
  tune_files+=("$tmp/m$k.wav")
done
"${SOX[@]}" "${tune_files[@]}" "$tmp/tune.wav"

"${SOX[@]}" -m "$tmp/pad.wav" "$tmp/bass.wav" "$tmp/tune.wav" "${FORMAT[@]}" "$out/track2.wav" gain -n -3
