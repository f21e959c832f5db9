#!/usr/bin/env bash
# Every text of the windows has a finished translation in each .ts file: a copy of each is
# brought up to date with the sources, and nothing in it may be unfinished or left over.
# usage: check-translations.sh SCRATCH_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$1
rm -rf "$scratch"
mkdir -p "$scratch"
cp "$root"/src/ui/translations/*.ts "$scratch/"
"$root/scripts/update-translations" "$scratch"/*.ts
status=0
for ts in "$scratch"/*.ts; do
  if grep -n -B2 'type="\(unfinished\|vanished\|obsolete\)"' "$ts"; then
    echo "$(basename "$ts"): texts without a finished translation (scripts/update-translations)" >&2
    status=1
  fi
  if ! cmp -s "$ts" "$root/src/ui/translations/$(basename "$ts")"; then
    diff "$root/src/ui/translations/$(basename "$ts")" "$ts" >&2 || true
    echo "$(basename "$ts"): not up to date with the sources (scripts/update-translations)" >&2
    status=1
  fi
done
exit $status
