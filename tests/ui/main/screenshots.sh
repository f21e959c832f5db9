#!/usr/bin/env bash
# Starts stretchwerk under a real X server as a person would, works it with the mouse and keys
# and saves screenshots for review: the main window with rows, its keyboard shortcuts, the
# properties dialog, the preferences, the progress window, the list after processing, and the
# wave editor with all three curves drawn, at three zoom levels.
# usage: screenshots.sh STRETCHWERK OUT_DIR
set -euo pipefail
app=$(realpath "$1")
out=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out" "$work/config/stretchwerk"
printf 'AudioDriver = No sound card (paced by the clock)\r\nIncludePitch = yes\r\nIncludeTime = yes\r\nIncludeIndex = yes\r\nNamePostfix = yes\r\nQuality = 3\r\n' \
  > "$work/config/stretchwerk/Stretchwerk.cfg"
"$root/scripts/make-example" "$work/example.wav"
sox -n -r 48000 -b 24 -c 1 "$work/voice.wav" synth 90 sine 220 gain -6
sox -n -r 44100 -b 16 -c 2 "$work/long take.aif" synth 205 pinknoise gain -20

cat > "$work/session.sh" <<SESSION
set -euo pipefail
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
"$app" --no-splash "$work/example.wav" "$work/voice.wav" "$work/long take.aif" &
app_pid=\$!
trap 'kill \$app_pid 2>/dev/null || true' EXIT
wid=\$(timeout 30 xdotool search --sync --onlyvisible --name '^Vellamar Stretchwerk\$' | head -n 1)
shot() { sleep 0.7; import -window "\$1" "$out/\$2.png"; }
wait_for() { timeout 30 xdotool search --sync --onlyvisible --name "\$1" | head -n 1; }
xdotool windowfocus --sync "\$wid"
# select the second row with the mouse, then the first with Shift held
xdotool mousemove --window "\$wid" 380 88 click 1
xdotool keydown shift mousemove --window "\$wid" 380 30 click 1 keyup shift
shot "\$wid" main-window
xdotool key --window "\$wid" alt+h
xdotool key k
shot "\$(wait_for '^Keyboard shortcuts\$')" shortcuts
xdotool key Escape
xdotool windowfocus --sync "\$wid"
xdotool key --window "\$wid" Home
xdotool key --window "\$wid" i
shot "\$(wait_for '^FileProperties for')" properties
xdotool key Escape
xdotool windowfocus --sync "\$wid"
xdotool key --window "\$wid" alt+e
xdotool key r
shot "\$(wait_for '^Preferences\$')" preferences
xdotool key Escape
xdotool windowfocus --sync "\$wid"
xdotool key --window "\$wid" End
xdotool key --window "\$wid" alt+f
xdotool key p
shot "\$(wait_for '^Processing ')" progress
# the last row's result joins the list when the file is done
for i in \$(seq 1 120); do
  xdotool search --onlyvisible --name '^Processing ' >/dev/null 2>&1 || break
  sleep 0.5
done
shot "\$wid" main-window-processed

# the first row's wave editor: the whole file in view, then three curves drawn with the mouse
xdotool windowfocus --sync "\$wid"
xdotool key --window "\$wid" Home w
ed=\$(wait_for '^example.wav\$')
xdotool windowfocus --sync "\$ed"
sleep 0.5
xdotool key --window "\$ed" alt+v f
click() { xdotool mousemove --window "\$ed" "\$1" "\$2" click 1; sleep 0.2; }
# time: slower in the middle (linear)
xdotool key --window "\$ed" F1 a
click 180 190; click 300 150; click 420 230
# pitch: a step up and back (square)
xdotool key --window "\$ed" F2 s
click 240 170; click 360 250
# formant: a slow rise (linear), the current curve drawn black
xdotool key --window "\$ed" F3 a
click 140 280; click 470 200
xdotool mousemove --window "\$ed" 330 200
shot "\$ed" editor
xdotool key --window "\$ed" ctrl+Right ctrl+Right
xdotool mousemove --window "\$ed" 330 210
shot "\$ed" editor-zoomed-in
xdotool key --window "\$ed" ctrl+Left ctrl+Left ctrl+Left
shot "\$ed" editor-zoomed-out
SESSION
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh"
for name in main-window shortcuts properties preferences progress main-window-processed editor \
  editor-zoomed-in editor-zoomed-out; do
  test -s "$out/$name.png" || { echo "missing screenshot $name" >&2; exit 1; }
done
echo "screenshots in $out"
