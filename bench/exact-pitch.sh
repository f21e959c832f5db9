#!/usr/bin/env bash
# Exact-pitch mode against the default at the same quality: instruction counts (callgrind, so
# independent of the machine's load) on a 10-second excerpt of the music, and the duration of
# results in exact-pitch mode against time × the source's length on a 4-second excerpt.
# usage: bench/exact-pitch.sh CLI [QUALITY] [MUSIC]
set -euo pipefail
cli=$1
quality=${2:-medium}
music=${3:-/tmp/swk-bench/music.wav}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox "$music" "$work/ten.wav" trim 40 10
sox "$music" "$work/four.wav" trim 60 4

# Instructions of one whole run; glibc's rep stosb/movsb would count one per byte.
instructions() {
  rm -rf "$work/out"; mkdir "$work/out"
  GLIBC_TUNABLES=glibc.cpu.x86_rep_stosb_threshold=0x7fffffff:glibc.cpu.x86_rep_movsb_threshold=0x7fffffff \
    valgrind --tool=callgrind --callgrind-out-file="$work/cg" \
    "$cli" process --jobs 1 --out-dir "$work/out" --quality "$quality" "$@" "$work/ten.wav" \
    >/dev/null 2>&1
  grep -m1 '^summary:' "$work/cg" | cut -d' ' -f2
}
printf "%-34s %14s %14s %7s\n" operation default exact ratio
for operation in "--time 125%" "--semitones 3" "--semitones 3 --preserve-formants"; do
  # shellcheck disable=SC2086
  plain=$(instructions $operation)
  # shellcheck disable=SC2086
  exact=$(instructions $operation --exact-pitch)
  printf "%-34s %14d %14d %7.3f\n" "$operation" "$plain" "$exact" \
    "$(echo "$exact / $plain" | bc -l)"
done

frames=$(soxi -s "$work/four.wav")
printf "\n%-24s %8s %8s %6s\n" operation asked got error
for row in "150 0" "100 7" "100 -5" "100 12" "80 3" "33 0"; do
  read -r percent semitones <<<"$row"
  rm -rf "$work/out"; mkdir "$work/out"
  "$cli" process --jobs 1 --out-dir "$work/out" --quality "$quality" --exact-pitch \
    --time "$percent%" --semitones "$semitones" "$work/four.wav" >/dev/null 2>&1
  got=$(soxi -s "$work"/out/*)
  asked=$(echo "$frames * $percent / 100" | bc)
  printf "%-24s %8d %8d %+6d\n" "time $percent% pitch $semitones" "$asked" "$got" $((got - asked))
done
