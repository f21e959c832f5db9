#!/usr/bin/env bash
# Prints the md5 of every benchmark output (time 125 %, pitch +3, and a few more settings, in each
# quality mode) so that a speed change can show that it leaves the sound untouched: run it before
# and after and compare. usage: bench/output-md5.sh CLI [MUSIC]
set -euo pipefail
cli=$1
music=${2:-/tmp/swk-bench/music.wav}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() { # label, then the options
  local label=$1; shift
  rm -rf "$work/out"; mkdir "$work/out"
  "$cli" process --jobs 1 --out-dir "$work/out" "$@" "$music" >/dev/null 2>&1
  printf "%-40s %s\n" "$label" "$(md5sum "$work"/out/* | cut -d' ' -f1)"
}
for q in medium fast mono best; do
  run "$q time 125%" --quality "$q" --time 125%
  run "$q pitch +3" --quality "$q" --semitones 3
done
run "medium pitch -5 formants" --quality medium --semitones -5 --preserve-formants
run "medium time 80% pitch +7" --quality medium --time 80% --semitones 7
