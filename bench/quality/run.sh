#!/usr/bin/env bash
# Measures the sound of stretchwerk's modes beside the peer tools.
# usage: bench/quality/run.sh [signals|recordings] [options of the script]
#   signals (default): quality.py, the synthetic signals (about 10 minutes with every peer)
#   recordings: recordings.py, drum loops, samples and speech prompts from Debian's packages
# CLI names the stretchwerk-cli to measure (default: a release build of this tree).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
what=${1:-signals}
shift || true
"$root/scripts/install-deps"
need=""
if [ "$what" = recordings ]; then
  [ -d /usr/share/lmms/samples ] || need="$need lmms-common"
  [ -d /usr/share/asterisk/sounds/en_US_f_Allison ] || need="$need asterisk-core-sounds-en-wav"
fi
if [ -n "$need" ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null
fi
cli=${CLI:-"$root/$("$root/scripts/build" release stretchwerk-cli | tail -n 1)/src/cli/stretchwerk-cli"}
case "$what" in
  signals) exec nice /usr/bin/python3 "$here/quality.py" --cli "$cli" "$@" ;;
  recordings) exec nice /usr/bin/python3 "$here/recordings.py" --cli "$cli" "$@" ;;
  *) echo "usage: bench/quality/run.sh [signals|recordings] [options]" >&2; exit 2 ;;
esac
