#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks the result: exactly the expected files land,
# and the desktop entry, the AppStream data and the man pages pass their validators.
# usage: check-install.sh CMAKE BUILD_DIR SCRATCH_DIR GUI(1 when the desktop application is built)
set -uo pipefail
cmake=$1 build=$2 scratch=$3 gui=$4
prefix=$scratch/prefix
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
need() {
  command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (scripts/install-deps)" >&2; exit 1; }
}

rm -rf "$prefix"
mkdir -p "$scratch"
if ! "$cmake" --install "$build" --prefix "$prefix" >/dev/null; then
  echo "FAIL: cmake --install $build" >&2
  exit 1
fi

expected=(bin/stretchwerk-cli share/man/man1/stretchwerk-cli.1.gz share/doc/stretchwerk/copyright
          share/doc/stretchwerk/changelog.gz)
if [ "$gui" = 1 ]; then
  expected+=(
    bin/stretchwerk
    share/applications/stretchwerk.desktop
    share/icons/hicolor/scalable/apps/stretchwerk.svg
    share/icons/hicolor/48x48/apps/stretchwerk.png
    share/icons/hicolor/128x128/apps/stretchwerk.png
    share/metainfo/io.github.stretchwerk.Stretchwerk.metainfo.xml
    share/man/man1/stretchwerk.1.gz
    share/doc/stretchwerk/manual.html
  )
fi
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$installed" != "$wanted" ]; then
  fail "installed files differ from the expected ones (< expected, > installed):"
  diff <(echo "$wanted") <(echo "$installed") >&2
fi
for program in bin/stretchwerk-cli bin/stretchwerk; do
  [ -e "$prefix/$program" ] && { [ -x "$prefix/$program" ] || fail "$program is not executable"; }
done

# The man pages render without a single groff warning.
need groff
need man
for page in "$prefix"/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1) || fail "groff failed on ${page##*/}"
  [ -z "$warnings" ] || fail "groff warns about ${page##*/}: $warnings"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns about ${page##*/}: $warnings"
done

# A man page names every command and long option its program's --help shows.
page_source() { zcat "$prefix/share/man/man1/$1.gz" | sed 's/\\-/-/g'; }
check_page_covers() { # PAGE HELP_TEXT
  local source word
  source=$(page_source "$1")
  while read -r word; do
    grep -qE -- "(^|[^a-z0-9-])${word//./\\.}([^a-z0-9.-]|$)" <<<"$source" ||
      fail "$1 does not mention $word"
  done < <(grep -oE -- '--[a-z0-9][a-z0-9.-]*[a-z0-9]' <<<"$2" | sort -u)
}
cli=$prefix/bin/stretchwerk-cli
commands=$("$cli" --help | awk '/^Commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
[ -n "$commands" ] || fail "stretchwerk-cli --help lists no commands"
help=$("$cli" --help)
for command in $commands; do
  grep -q "^\.B stretchwerk-cli $command" <<<"$(page_source stretchwerk-cli.1)" ||
    fail "the synopsis of stretchwerk-cli.1 lacks the command $command"
  help+=$'\n'$("$cli" "$command" --help)
done
check_page_covers stretchwerk-cli.1 "$help"

if [ "$gui" = 1 ]; then
  help=$(QT_QPA_PLATFORM=offscreen timeout 60 "$prefix/bin/stretchwerk" --help 2>/dev/null)
  [ -n "$help" ] || fail "stretchwerk --help shows nothing"
  check_page_covers stretchwerk.1 "$help"

  need desktop-file-validate
  need appstreamcli
  desktop=$prefix/share/applications/stretchwerk.desktop
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate has remarks: $out"
  # Offered by the file manager for every format the program reads.
  for type in audio/x-wav audio/wav audio/vnd.wave audio/x-aiff audio/aiff audio/flac \
      audio/x-vorbis+ogg audio/x-opus+ogg audio/mpeg audio/x-w64 audio/x-caf; do
    grep -q "^MimeType=.*$type;" "$desktop" || fail "the desktop entry lacks $type"
  done
  # The entry starts the installed program and names the installed icon.
  exec_line=$(sed -n 's/^Exec=//p' "$desktop")
  [ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ -e "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"
  # The metainfo on its own, then together with the desktop entry and icons it refers to.
  # Errors, warnings and infos all count; only pedantic remarks may stay.
  metainfo=$prefix/share/metainfo/io.github.stretchwerk.Stretchwerk.metainfo.xml
  for check in validate validate-tree; do
    target=$metainfo
    [ "$check" = validate ] || target=$prefix
    out=$(appstreamcli "$check" --no-net --no-color "$target" 2>&1) ||
      fail "appstreamcli $check: $out"
    ! grep -Eq '^ *[EWI]: ' <<<"$out" || fail "appstreamcli $check has remarks: $out"
  done
  # Each PNG has the size of its folder.
  for size in 48 128; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/stretchwerk.png
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x$size" ] || fail "${png#"$prefix"/} is $dims"
  done
fi

[ "$failures" -eq 0 ] && echo "install check passed: ${#expected[@]} files"
exit $((failures > 0))
