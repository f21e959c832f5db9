#!/usr/bin/env bash
# The tempo detector against known tempos: sox click tracks (a 10 ms beep per beat, 30 s, with
# a quieter beep between the beats where asked) and the two pieces of music whose tempo is set
# when they are made. usage: bench/tempo.sh CLI
set -euo pipefail
cli=${1:?usage: bench/tempo.sh CLI}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
detect() { "$cli" info --tempo "$1" | sed -n 's/^Detected tempo: //p'; }
printf "%-44s %10s %14s\n" "signal" "true BPM" "detected"
for bpm in 90 120 128 174; do
  beat=$(echo "60 / $bpm" | bc -l)
  sox -n -r 44100 "$work/click.wav" synth 0.01 sine 1000 pad 0 "$(echo "$beat - 0.01" | bc -l)"
  sox "$work/click.wav" "$work/track.wav" repeat $((30 * bpm / 60))
  printf "%-44s %10s %14s\n" "clicks" "$bpm" "$(detect "$work/track.wav")"
  half=$(echo "$beat / 2 - 0.01" | bc -l)
  sox -n -r 44100 "$work/off.wav" synth 0.01 sine 2000 vol 0.3 pad 0 "$half"
  sox "$work/click.wav" "$work/beat.wav" trim 0 "$(echo "$beat / 2" | bc -l)"
  sox "$work/beat.wav" "$work/off.wav" "$work/pair.wav"
  sox "$work/pair.wav" "$work/eighths.wav" repeat $((30 * bpm / 60))
  printf "%-44s %10s %14s\n" "clicks with quieter eighths" "$bpm" "$(detect "$work/eighths.wav")"
done
"$here/../scripts/make-example" "$work/example.wav"
printf "%-44s %10s %14s\n" "scripts/make-example (0.3 s notes)" "200 (100)" "$(detect "$work/example.wav")"
music=$("$here/make-music.sh" /tmp/swk-bench/music.wav)
printf "%-44s %10s %14s\n" "bench/make-music.sh (tune.abc, Q:1/4=112)" "112" "$(detect "$music")"
