#!/usr/bin/env bash
# Builds the Debian package of a build folder and checks it: exactly the expected files, the
# runtime libraries among its dependencies, and no error from lintian.
# usage: check-package.sh BUILD_DIR SCRATCH_DIR
set -uo pipefail
build=$1 scratch=$2
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
rm -rf "$scratch"
mkdir -p "$scratch"
if ! (cd "$build" && cpack -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1); then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack -G DEB" >&2
  exit 1
fi
deb=$(ls "$scratch"/*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: cpack made no .deb" >&2; exit 1; }

expected=(
  usr/bin/stretchwerk
  usr/bin/stretchwerk-cli
  usr/share/applications/stretchwerk.desktop
  usr/share/doc/stretchwerk/changelog.gz
  usr/share/doc/stretchwerk/copyright
  usr/share/doc/stretchwerk/manual.html
  usr/share/icons/hicolor/128x128/apps/stretchwerk.png
  usr/share/icons/hicolor/48x48/apps/stretchwerk.png
  usr/share/icons/hicolor/scalable/apps/stretchwerk.svg
  usr/share/man/man1/stretchwerk-cli.1.gz
  usr/share/man/man1/stretchwerk.1.gz
  usr/share/metainfo/io.github.stretchwerk.Stretchwerk.metainfo.xml
)
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$files" != "$wanted" ]; then
  fail "the package's files differ from the expected ones (< expected, > packaged):"
  diff <(echo "$wanted") <(echo "$files") >&2
fi

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 qt6-qpa-plugins libasound2 libjack libfftw3-single3; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Section)" = sound ] || fail "the section is not sound"

if command -v lintian >/dev/null; then
  # Errors fail; warnings are shown.
  report=$(lintian --tag-display-limit 0 "$deb" 2>&1)
  grep -E '^E: ' <<<"$report" >&2 && fail "lintian reports errors"
  grep -E '^W: ' <<<"$report" >&2
else
  fail "lintian is missing (scripts/install-deps)"
fi

[ "$failures" -eq 0 ] && echo "package check passed: ${deb##*/}, ${#expected[@]} files"
exit $((failures > 0))
