#!/usr/bin/env bash
# Installs the Debian packages that Trouvimo needs, then builds it (not with --packages-only).
#   ./setup.sh --game [--packages-only]   what the game needs to be built and to run (play.sh)
#   ./setup.sh [--packages-only]          that and what the tests, the benchmarks, the packages and the
#                                         Windows build need besides (check.sh, package.sh)
# Safe to run again: only missing packages are installed.
set -euo pipefail
cd "$(dirname "$0")"

game_only=false
packages_only=false
for argument in "$@"; do
    case $argument in
        --game) game_only=true ;;
        --packages-only) packages_only=true ;;
        *) echo "setup.sh: unknown option $argument (--game, --packages-only)" >&2; exit 2 ;;
    esac
done

# What the game needs to be built and to run.
game_packages=(
    # build
    cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libspeechd-dev
    libxcb-randr0-dev libx11-dev libgl-dev libsndfile1-dev
    # run: the X11 and Wayland platform plugins, GIF support, sound, fonts
    qt6-qpa-plugins qt6-wayland qt6-image-formats-plugins libqt6multimedia6 gstreamer1.0-plugins-base
    fonts-comic-neue fonts-dejavu-core
    # speech: the speech server and its voices
    speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
)

# What the tests, the benchmarks, the packages and the Windows build need besides.
check_packages=(
    # the benchmarks, and the fuzzer's compiler and runtime
    libbenchmark-dev clang clang-format libclang-rt-dev
    # real-desktop tests: an X server whose modes switch, a sound server, a screen reader's view,
    # a window manager, and a real screen reader
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils xdotool
    pulseaudio pulseaudio-utils sox dbus dbus-x11 at-spi2-core python3 python3-pyatspi
    gir1.2-atspi-2.0 imagemagick strace xfwm4 orca
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

packages=("${game_packages[@]}")
$game_only || packages+=("${check_packages[@]}")

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

$packages_only && exit 0
cmake --preset default
cmake --build --preset default
