#!/usr/bin/env bash
# Plays the standard music processed while it plays (quality best, time 125 %, pitch +3; stereo
# 44.1 kHz), looping, on the clock-paced device for SECONDS (600 by default), then prints what
# `stretchwerk-cli play` reports at the end: where it stopped and the underruns (blocks the
# device found missing). Run it beside a build to see whether live play keeps up on a busy
# machine. usage: bench/live-underruns.sh CLI [SECONDS] [MUSIC]
set -euo pipefail
cli=$1
seconds=${2:-600}
here=$(cd "$(dirname "$0")" && pwd)
music=${3:-$("$here/make-music.sh" /tmp/swk-bench/music.wav)}
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
start=$(date +%s)
(sleep "$seconds"; echo) |
  XDG_CONFIG_HOME="$config" "$cli" play "$music" --quality best --time 125% --semitones 3 --loop \
    --device 'No sound card (paced by the clock)' 2>/dev/null
echo "played for $(( $(date +%s) - start )) s; load average $(cut -d' ' -f1-3 /proc/loadavg)"
