#!/usr/bin/env bash
# Installs the Debian packages that Trouvimo needs to build, run, test and package, then builds
# it (not with --packages-only). Used by play.sh, check.sh and package.sh; safe to run again
# (only missing packages are installed).
set -euo pipefail
cd "$(dirname "$0")"

packages=(
    # build
    cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev qt6-speech-dev
    qt6-declarative-dev libxcb-randr0-dev
    libx11-dev
    libgl-dev libbenchmark-dev clang clang-format libclang-rt-dev libsndfile1-dev
    # run: the X11 and Wayland platform plugins, GIF support, sound, fonts
    qt6-qpa-plugins qt6-wayland qt6-image-formats-plugins libqt6multimedia6 gstreamer1.0-plugins-base
    fonts-comic-neue fonts-dejavu-core
    # speech: Qt's speech-dispatcher plugin, the server and its voices
    qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
    # real-desktop tests: an X server whose modes switch, a sound server, a screen reader's view,
    # a window manager
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils xdotool
    pulseaudio pulseaudio-utils sox dbus dbus-x11 at-spi2-core python3 python3-pyatspi
    gir1.2-atspi-2.0 imagemagick strace xfwm4
    # a Wayland desktop: GNOME's compositor, headless, and its XWayland
    mutter xwayland
    # My words' benchmark: a spelling dictionary as a family's list
    wfrench
    # the package and its checks
    dpkg-dev fakeroot file desktop-file-utils appstream
    # the Windows build: the cross-compiler, the host tools of Debian's Qt that cross-build Qt,
    # the MSI tools, and wine to play it on the test desktop
    g++-mingw-w64-x86-64-posix qt6-base-dev-tools qt6-shadertools-dev xz-utils msitools wixl zip wine wine64
)

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

[[ ${1:-} == --packages-only ]] && exit 0
cmake --preset default
cmake --build --preset default
