#!/usr/bin/env bash
# Starts stretchwerk under a real X server with its own session and accessibility buses, opens
# the wave editor and hands it to accessibility.py, which works it as a screen reader user would.
# usage: accessibility.sh STRETCHWERK
set -euo pipefail
app=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/stretchwerk"
printf 'AudioDriver = No sound card (paced by the clock)\r\n' \
  > "$work/config/stretchwerk/Stretchwerk.cfg"
sox -n -r 48000 -b 16 -c 1 "$work/tone.wav" synth 4 sine 220 gain -6

cat > "$work/session.sh" <<SESSION
set -euo pipefail
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus_pid=\$!
"$app" --no-splash "$work/tone.wav" &
app_pid=\$!
trap 'kill \$app_pid \$bus_pid 2>/dev/null || true' EXIT
wid=\$(timeout 30 xdotool search --sync --onlyvisible --name '^Vellamar Stretchwerk\$' | head -n 1)
xdotool windowfocus --sync "\$wid"
xdotool mousemove --window "\$wid" 380 30 click 1
xdotool key --window "\$wid" Home w
ed=\$(timeout 30 xdotool search --sync --onlyvisible --name '^tone.wav\$' | head -n 1)
xdotool windowfocus --sync "\$ed"
/usr/bin/python3 "$here/accessibility.py" tone.wav
SESSION
chmod 700 "$work"
xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash "$work/session.sh"
