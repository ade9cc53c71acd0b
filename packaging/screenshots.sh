#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's and the AppStream metainfo's pictures from the demo, on a virtual
# display: the record list, a record with its graphs, a zoomed graph with the cursor
# readout, the CSV export dialog, the print preview, the settings dialog and, after a
# second start logged in as the administrator, the accounts dialog.
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
Xvfb "$display" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"

wait_for_window() {  # name pattern -> window id (a shown window)
    local id=""
    for _ in $(seq 1 100); do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)"
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "screenshots.sh: no window '$1'" >&2
    return 1
}

wait_gone() {  # window id: waits until it is no longer shown
    for _ in $(seq 1 100); do
        xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    echo "screenshots.sh: window $1 stays open" >&2
    return 1
}

# A key to one window. The key is let go explicitly: a key left down on the virtual
# display repeats, and a repeated Return would close every dialog as soon as it opens.
press() {  # window id, key
    xdotool key --window "$1" "$2" 2>/dev/null || true  # the window may go at once
    xdotool keyup "$2"
}

click() {  # x y inside the main window
    xdotool mousemove --window "$main" "$1" "$2" click 1
}

# Waits until the main window has painted what the last step asked for: two captures
# a moment apart are the same.
settle() {
    local a b
    a="$(import -window "$main" rgb:- 2>/dev/null | md5sum)"
    for _ in $(seq 1 30); do
        sleep 0.2
        b="$(import -window "$main" rgb:- 2>/dev/null | md5sum)"
        [ "$a" = "$b" ] && return 0
        a="$b"
    done
}

# A picture of one window, made smaller for the README (the dialogs keep their size).
shoot() {  # window id, file name, [resize]
    local file="$out/$2"
    if [ -n "${3:-}" ]; then
        import -window "$1" -resize "$3" -colors 256 "png8:$file"
    else
        import -window "$1" -colors 256 "png8:$file"
    fi
    command -v optipng >/dev/null && optipng -quiet -o2 "$file"
    taken+=("$file")
}

# Opens a dialog with a click and takes its picture; the dialog stays open.
shoot_dialog() {  # x y title-pattern file [resize] -> the dialog's window id in $dialog
    click "$1" "$2"
    dialog="$(wait_for_window "$3")"
    sleep 0.5
    shoot "$dialog" "$4" "${5:-}"
}

close_dialog() {  # closes $dialog with Esc
    press "$dialog" Escape
    wait_gone "$dialog"
}

start_demo() {
    env -u XDG_CACHE_HOME -u XDG_CONFIG_HOME HOME="$home" LC_ALL=C.UTF-8 "$bin/vantrel" --demo \
        >/dev/null 2>&1 &
    app_pid=$!
    login="$(wait_for_window '^Login$')"
}

stop_demo() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}

taken=()

# --- First start: logged in as "Guest" (chosen at first, no password) ----------------------
start_demo
press "$login" Return
main="$(wait_for_window ' - Demo$')"
settle

# Positions inside the fixed-size main window (1200x691): the tool strip's buttons are at
# y 25 ("Display List" x 320, Print x 1075, Setting x 1155); the list's rows start at
# y 128, 20 apart, their tick boxes at x 21; "Export to CSV" is at (1105, 75).
click 320 25
settle
xdotool mousemove --window "$main" 700 600
shoot "$main" record-list.png 900x

# Two records ticked, then Export to CSV.
click 21 128
click 21 148
settle
shoot_dialog 1105 75 '^Export to CSV$' export-dialog.png
close_dialog
click 21 128
click 21 148

# The second record opened by a double-click.
xdotool mousemove --window "$main" 420 147 click --repeat 2 --delay 80 1
settle
xdotool mousemove --window "$main" 500 300
settle
shoot "$main" main-window.png 900x

# A finer scale: the scale selector (1013, 428) opens its list, one down is 8 hours. A
# click into the graph takes the first click after the list closed; a click into the
# scroll bar (y 535) goes on to 2-10 h (90 pixels an hour from x 70); a click at 9:23
# puts the cursor on the speed graph, and the status strip reads out the values there.
click 1013 428
sleep 0.5
xdotool key Down
xdotool key Return
settle
click 400 350
settle
click 500 535
settle
click 735 350
xdotool mousemove --window "$main" 1195 5
settle
shoot "$main" graph-zoom.png 900x

# The print preview of the open record, then the settings dialog.
shoot_dialog 1075 25 '^Print$' print-preview.png 800x
close_dialog
shoot_dialog 1155 25 '^Setting$' settings.png
close_dialog

# The driving analysis of the open record ("Analysis", x 850 on the tool strip, left of
# Print); its first row clicked puts the graph cursor there. Then the list and the fleet
# summary of its records (the same place on the strip), once its worker has counted them.
shoot_dialog 850 25 '^Driving Analysis$' analysis.png
close_dialog
click 320 25
settle
click 850 25
dialog="$(wait_for_window '^Fleet Summary$')"
sleep 2
shoot "$dialog" fleet-summary.png 900x
close_dialog
stop_demo

# --- Second start: the administrator ("Admin", "5830" while no password is set) -------------
start_demo
xdotool key --window "$login" ctrl+a
xdotool type --window "$login" --delay 30 Admin
press "$login" Tab
xdotool type --window "$login" --delay 30 5830
press "$login" Return
main="$(wait_for_window ' - Demo$')"
settle
# "Account" sits left of Print on the tool strip; the program ends with the dialog open.
shoot_dialog 995 25 '^Account$' accounts.png
stop_demo

echo "screenshots.sh: ${taken[*]}"
