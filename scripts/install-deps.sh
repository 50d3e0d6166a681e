#!/usr/bin/env bash
# Installs everything the build, the programs and the tests need, from Debian 12's packages.
# Idempotent: when every package is present it changes nothing and needs no network.
#   install-deps.sh                  the build, the programs and the tests
#   install-deps.sh package          also what scripts/package.sh needs to make and check the .debs
#   install-deps.sh check-package    also what scripts/check-package.sh needs for its fresh system
set -euo pipefail
packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
    qt6-base-dev qt6-base-private-dev qt6-webengine-dev libgl-dev qt6-gtk-platformtheme libsodium-dev
    fonts-noto-cjk xvfb xauth x11-utils imagemagick procps xdotool
    hardinfo
    vpx-tools
)
for group in "$@"; do
    case "$group" in
    package) packages+=(dpkg-dev file lintian desktop-file-utils gzip appstream) ;;
    check-package) packages+=(dpkg-dev file lintian desktop-file-utils gzip appstream debootstrap xdotool) ;;
    *) echo "install-deps.sh: unknown group $group" >&2; exit 2 ;;
    esac
done
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
