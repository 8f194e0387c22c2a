#!/usr/bin/env bash
# Installs the Debian packages that the content tools of this folder need, and only those that are
# missing: Python 3 with Pillow and NumPy, the fonts Comic Neue and Noto Color Emoji, and sox for
# looking at the sounds. The game's own build never needs them (see README.md here). Safe to run
# again; tools/make_content.sh runs it first.
set -euo pipefail

packages=(python3 python3-pil python3-numpy fonts-comic-neue fonts-noto-color-emoji fonts-dejavu-core sox)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done

if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
