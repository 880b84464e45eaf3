#!/usr/bin/env bash
# Installs the Debian packages Snipwell needs to build, run and test, but only the ones that
# are missing, so a machine that already has them is left alone and no network is needed.
set -euo pipefail

packages=(
    cmake g++ make pkg-config clang libclang-rt-14-dev
    qt6-base-dev libxcb-xkb-dev libjpeg62-turbo-dev
    fonts-wine fonts-croscore
    xvfb xauth openbox xdotool xclip wmctrl x11-utils imagemagick
    desktop-file-utils appstream dpkg-dev file
    dbus-daemon at-spi2-core python3-dbus
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
