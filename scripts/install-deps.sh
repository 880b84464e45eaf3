#!/usr/bin/env bash
# Installs the Debian packages that Snipwell needs, by group, but only the ones that are missing,
# so a machine that already has them is left alone and no network is needed.
# Usage: install-deps.sh GROUP...   (groups: build run test desktops deep)
set -euo pipefail

declare -A why packages
why[build]="to compile Snipwell: compiler, CMake, Qt 6 and libjpeg headers, Debian's build flags"
packages[build]="cmake g++ make pkg-config qt6-base-dev libxcb-xkb-dev libjpeg62-turbo-dev dpkg-dev"
why[run]="to open its window: Qt's platform plugins and the fonts its layout is measured in"
packages[run]="qt6-qpa-plugins fonts-wine fonts-croscore"
# libmagickcore-6.q16-6-extra is ImageMagick's SVG reader, only a recommendation of imagemagick.
why[test]="to drive it as a person would and check files and package: X server, window manager, X tools, accessibility bus, a FAT file system, ACLs, validators, lintian"
packages[test]="xvfb xauth openbox xdotool xclip wmctrl x11-utils imagemagick libmagickcore-6.q16-6-extra
    dbus-daemon at-spi2-core python3 python3-dbus fusefat dosfstools acl desktop-file-utils appstream file lintian"
why[desktops]="to try it on the desktops people use: their window managers, Wayland's compositor, clipboard managers"
# kwin-style-breeze is KWin's own frame, only a recommendation of Plasma: without it KWin draws
# no frame at all.
packages[desktops]="xfwm4 metacity mutter icewm kwin-x11 kwin-style-breeze weston xwayland parcellite clipit xfce4-clipman"
why[deep]="for the fuzz targets: clang and its sanitizer runtime"
packages[deep]="clang libclang-rt-14-dev"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
report=()
for group in "$@"; do
    [ -n "${packages[$group]+set}" ] || { echo "install-deps.sh: unknown group '$group'" >&2; exit 2; }
    group_missing=()
    for p in ${packages[$group]}; do
        installed "$p" || group_missing+=("$p")
    done
    if [ ${#group_missing[@]} -gt 0 ]; then
        missing+=("${group_missing[@]}")
        report+=("$group: installing ${group_missing[*]} (${why[$group]})")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
printf '%s\n' "${report[@]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
