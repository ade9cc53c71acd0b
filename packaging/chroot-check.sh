#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages in a clean Debian 12 chroot and uses them as a user would:
# the demo on a virtual display (a screenshot is copied out), vantrel-cli, the manual
# page and the bash completion; then purges the packages and checks that the user's
# settings and backup folder stay.
#   sudo bash packaging/chroot-check.sh [build/release] [/tmp/vantrel-chroot] [out folder]
# Needs root, debootstrap and Debian's mirror. The chroot is made once and kept (its
# packages are installed afresh at every run); remove it with rm -rf when done.
# shellcheck disable=SC2016  # the command lines in single quotes expand inside the chroot
set -euo pipefail

debs="${1:-build/release}"
root="${2:-/tmp/vantrel-chroot}"
out="${3:-$root-out}"
mirror="${VANTREL_MIRROR:-http://deb.debian.org/debian}"
user=tester

[ "$(id -u)" -eq 0 ] || { echo "chroot-check.sh: run as root" >&2; exit 1; }
ls "$debs"/vantrel_*.deb "$debs"/libplumex1_*.deb >/dev/null ||
    { echo "chroot-check.sh: no packages in $debs (cpack -G DEB first)" >&2; exit 1; }
mkdir -p "$out"

step() { printf '\n=== %s\n' "$*"; }
inside() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 "$@"; }
as_user() {  # command line run by bash as the ordinary user, in /tmp
    chroot --userspec="$user:$user" "$root" /usr/bin/env -i PATH=/usr/bin:/bin \
        HOME="/home/$user" USER="$user" LC_ALL=C.UTF-8 /bin/bash -c "cd /tmp && $1"
}

if [ ! -x "$root/usr/bin/apt-get" ]; then
    step "debootstrap bookworm into $root"
    command -v debootstrap >/dev/null || { echo "chroot-check.sh: install debootstrap" >&2; exit 1; }
    debootstrap --variant=minbase bookworm "$root" "$mirror"
fi

# /proc for the maintainer scripts, /dev/pts for apt's log; only what this run mounted is
# unmounted again.
mounted=()
cleanup() {
    local at
    for at in "${mounted[@]}"; do
        umount "$at" || true
    done
}
trap cleanup EXIT
if ! mountpoint -q "$root/proc"; then
    mount -t proc proc "$root/proc"
    mounted=("$root/proc" "${mounted[@]}")
fi
mkdir -p "$root/dev/pts"
if ! mountpoint -q "$root/dev/pts"; then
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
    mounted=("$root/dev/pts" "${mounted[@]}")
fi
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

step "install the packages"
rm -rf "$root/tmp/debs"
mkdir -p "$root/tmp/debs"
cp "$debs"/vantrel_*.deb "$debs"/libplumex1_*.deb "$root/tmp/debs/"
inside apt-get update -q
packages=()
for deb in "$root"/tmp/debs/*.deb; do
    packages+=("/tmp/debs/${deb##*/}")
done
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${packages[@]}"
inside dpkg -s vantrel libplumex1 | grep -E '^(Package|Status|Version):'
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    xvfb xauth xdotool imagemagick man-db bash-completion groff-base
inside id -u "$user" >/dev/null 2>&1 || inside useradd -m -s /bin/bash "$user"

step "vantrel --demo on a virtual display, as $user from /tmp"
as_user '
# shellcheck disable=SC2016  # the command lines in single quotes expand inside the chroot
set -euo pipefail
Xvfb :91 -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:91
trap "kill \$app \$xvfb 2>/dev/null || true" EXIT
vantrel --demo >/tmp/vantrel-demo.log 2>&1 &
app=$!
wait_for() {
    for _ in $(seq 1 150); do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)"
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "no window $1" >&2
    cat /tmp/vantrel-demo.log >&2
    return 1
}
login="$(wait_for "^Login$")"
xdotool key --window "$login" Return
xdotool keyup Return
main="$(wait_for " - Demo$")"
sleep 2
xdotool mousemove --window "$main" 320 25 click 1
sleep 2
echo "main window: $(xdotool getwindowname "$main") $(xdotool getwindowgeometry "$main" | tail -1)"
import -window "$main" /tmp/installed-demo.png
cat /tmp/vantrel-demo.log
'
cp "$root/tmp/installed-demo.png" "$out/installed-demo.png"
echo "screenshot: $out/installed-demo.png"

step "vantrel-cli --demo list"
as_user 'vantrel-cli --demo list'

step "the language files of /usr/share/vantrel: the list's titles in Korean"
as_user 'vantrel-cli --demo --lang kr list | head -1' | tee "$out/list-kr.txt"
if ! grep -qF '저장 시간' "$out/list-kr.txt"; then  # "Save Time"
    echo "chroot-check.sh: no Korean titles: the language files were not found" >&2
    exit 1
fi

step "vantrel-cli --demo import-usb: the emulated recorder of /usr/lib/vantrel/emulator"
as_user 'vantrel-cli --demo import-usb && vantrel-cli --demo list | grep -c " USB "'

step "man vantrel-cli"
as_user 'MANPAGER=cat MANWIDTH=90 man vantrel-cli | head -20'

step "bash completion"
as_user '
source /usr/share/bash-completion/bash_completion
for cmd in vantrel-cli vantrel; do
    _completion_loader "$cmd" || true
    complete -p "$cmd"
done
fn="$(complete -p vantrel-cli | sed -E "s/.*-F ([^ ]+).*/\1/")"
COMP_WORDS=(vantrel-cli im); COMP_CWORD=1; COMP_LINE="vantrel-cli im"; COMP_POINT=${#COMP_LINE}
"$fn" vantrel-cli im vantrel-cli
echo "vantrel-cli im<Tab>: ${COMPREPLY[*]}"
[ "${#COMPREPLY[@]}" -gt 0 ]
'

step "the user's own data: the settings seeded, the demo card imported into the backup"
as_user 'vantrel-cli import-sd ~/.cache/vantrel-demo/card && vantrel-cli list | tail -3'
as_user 'find ~/.config/Halvik ~/Documents/Halvik -maxdepth 3 | sort | head -20' | tee "$out/before.txt"

step "apt-get purge vantrel libplumex1"
inside env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q vantrel libplumex1
if inside dpkg -s vantrel >/dev/null 2>&1; then
    echo "chroot-check.sh: vantrel is still installed" >&2
    exit 1
fi
for gone in /usr/bin/vantrel /usr/bin/vantrel-cli /usr/share/vantrel /usr/lib/libPlumex.so.1; do
    [ ! -e "$root$gone" ] || { echo "chroot-check.sh: $gone is left" >&2; exit 1; }
done
as_user 'find ~/.config/Halvik ~/Documents/Halvik -maxdepth 3 | sort | head -20' >"$out/after.txt"
if ! diff -u "$out/before.txt" "$out/after.txt"; then
    echo "chroot-check.sh: the purge changed the user's folders" >&2
    exit 1
fi
echo "the user's settings and backup folder stay after the purge"
step "all steps passed"
