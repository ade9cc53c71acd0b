#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's and the AppStream metainfo's pictures from the demo, on a virtual
# display: the record list and a record with its graphs.
#   bash packaging/screenshots.sh [build/release/bin] [docs/screenshots]
# Needs Xvfb, xdotool and ImageMagick's import. Uses a home folder of its own, so the
# demo is built afresh and the user's own folders are not touched.
set -euo pipefail

bin="${1:-build/release/bin}"
out="${2:-docs/screenshots}"
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is missing" >&2; exit 1; }
done
[ -x "$bin/vantrel" ] || { echo "screenshots.sh: no $bin/vantrel (build first)" >&2; exit 1; }
mkdir -p "$out"

home="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT

# A free display number.
display=""
for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
[ -n "$display" ] || { echo "screenshots.sh: no free display" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"

wait_for_window() {  # name pattern -> window id
    local id=""
    for _ in $(seq 1 100); do
        id="$(xdotool search --name "$1" 2>/dev/null | head -1 || true)"
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "screenshots.sh: no window '$1'" >&2
    return 1
}

env -u XDG_CACHE_HOME -u XDG_CONFIG_HOME HOME="$home" LC_ALL=C.UTF-8 "$bin/vantrel" --demo &
app_pid=$!

# The login: "Guest" is chosen, no password.
login="$(wait_for_window '^Login$')"
xdotool key --window "$login" Return
main="$(wait_for_window ' - Demo$')"
sleep 1

# Positions inside the fixed-size main window: "Display List", then the second record.
xdotool mousemove --window "$main" 320 25 click 1
sleep 1
xdotool mousemove --window "$main" 700 600
import -window "$main" "$out/record-list.png"
xdotool mousemove --window "$main" 420 147 click --repeat 2 --delay 80 1
sleep 1
xdotool mousemove --window "$main" 500 300
sleep 0.5
import -window "$main" "$out/main-window.png"
echo "screenshots.sh: $out/record-list.png $out/main-window.png"
