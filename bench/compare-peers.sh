#!/usr/bin/env bash
# Times stretchwerk-cli against the peer tools on the standard benchmark music (151 s, stereo,
# 44.1 kHz) in one run: a 25 % longer duration and a pitch three semitones up.
# Prints CPU seconds (user + system) of each and the ratio peer / stretchwerk.
# usage: bench/compare-peers.sh [QUALITY]   (mono, fast, medium, best, studio; default medium)
# Then the studio quality beside rubberband's default engine (R2) and its finer one (-3, R3),
# for each operation and for both at once.
# Also prints each tool's peak memory. EXTRA adds options to stretchwerk's (--exact-pitch).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
quality=${1:-medium}
need=""
command -v rubberband >/dev/null || need="$need rubberband-cli"
command -v soundstretch >/dev/null || need="$need soundstretch"
command -v /usr/bin/time >/dev/null || need="$need time"
command -v bc >/dev/null || need="$need bc"
if [ -n "$need" ]; then DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $need >/dev/null; fi
"$root/scripts/install-deps"
# CLI names another build of stretchwerk-cli to time (an earlier one, for a before/after table).
cli=${CLI:-"$root/$("$root/scripts/build" release | tail -n 1)/src/cli/stretchwerk-cli"}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
music=$(bash "$here/make-music.sh" "${MUSIC:-/tmp/swk-bench/music.wav}")
echo "input: $music ($(soxi -D "$music") s)"

cpu() { # prints the CPU seconds of a command; its peak memory goes to $work/peak-<name>
  /usr/bin/time -f "%U %S %M" -o "$work/t" "$@" >/dev/null 2>&1
  awk '{print $3}' "$work/t" > "$work/peak-$(basename "$1")"
  awk '{printf "%.2f", $1 + $2}' "$work/t"
}

ours() {
  rm -rf "$work/out"; mkdir "$work/out"
  cpu "$cli" process --jobs 1 --quality "$quality" ${EXTRA:-} --out-dir "$work/out" "$@" "$music"
}

report() { # name ours rubberband soundstretch sox
  printf "%-12s stretchwerk %6.2f s | rubberband %6.2f s (%.1fx) | soundstretch %6.2f s (%.1fx) | sox %6.2f s (%.1fx)\n" \
    "$1" "$2" "$3" "$(echo "$3 / $2" | bc -l)" "$4" "$(echo "$4 / $2" | bc -l)" "$5" "$(echo "$5 / $2" | bc -l)"
}

t_ours=$(ours --time 125%)
t_rb=$(cpu rubberband -t 1.25 "$music" "$work/rb.wav")
t_ss=$(cpu soundstretch "$music" "$work/ss.wav" -tempo=-20)
t_sox=$(cpu sox "$music" "$work/sox.wav" tempo 0.8)
report "time 125%" "$t_ours" "$t_rb" "$t_ss" "$t_sox"

p_ours=$(ours --semitones 3)
p_rb=$(cpu rubberband -p 3 "$music" "$work/rb.wav")
p_ss=$(cpu soundstretch "$music" "$work/ss.wav" -pitch=3)
p_sox=$(cpu sox "$music" "$work/sox.wav" pitch 300)
report "pitch +3" "$p_ours" "$p_rb" "$p_ss" "$p_sox"
studio_row() { # name, then our options, then rubberband's
  local name=$1 ours_args=$2 rb_args=$3
  local t_st t_r2 t_r3
  # shellcheck disable=SC2086
  t_st=$(quality=studio ours $ours_args)
  # shellcheck disable=SC2086
  t_r2=$(cpu rubberband $rb_args "$music" "$work/rb.wav")
  # shellcheck disable=SC2086
  t_r3=$(cpu rubberband -3 $rb_args "$music" "$work/rb3.wav")
  printf "%-12s studio %6.2f s | rubberband R2 %6.2f s (%.2fx) | rubberband R3 %6.2f s (%.2fx)\n" \
    "$1" "$t_st" "$t_r2" "$(echo "$t_r2 / $t_st" | bc -l)" "$t_r3" "$(echo "$t_r3 / $t_st" | bc -l)"
}
studio_row "time 125%" "--time 125%" "-t 1.25"
studio_row "pitch +3" "--semitones 3" "-p 3"
studio_row "both" "--time 125% --semitones 3" "-t 1.25 -p 3"

peak() { awk '{printf "%.1f", $1 / 1024}' "$work/peak-$1"; }
echo "peak memory (last run): stretchwerk $(peak "$(basename "$cli")") MB | rubberband $(peak rubberband) MB | soundstretch $(peak soundstretch) MB | sox $(peak sox) MB"
echo "(quality $quality${EXTRA:+ $EXTRA}, one job; ratios above 1 mean stretchwerk used less CPU)"
