#!/usr/bin/env bash
# Sets everything up, checks the code's layout and runs every test: unit, widget, content and real-desktop tests on the
# ordinary build, the same suite on a build with AddressSanitizer and UndefinedBehaviorSanitizer,
# a short run of the word-list reader's fuzzer, the Windows build's tests under wine and its MSI
# installed, played and removed under wine, and the Debian package installed by apt and played.
# The real-desktop tests start their own X server, so they run as root (through sudo if needed).
set -euo pipefail
cd "$(dirname "$0")"
if [[ $(id -u) -ne 0 ]]; then
    exec sudo --preserve-env=CI "$0" "$@"
fi
./setup.sh

echo "== Every C++ file laid out as .clang-format says"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

ctest --preset default "$@"

echo "== The same tests with the sanitizers"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan "$@"

echo "== A short run of the list reader's fuzzer"
cmake --preset fuzz
cmake --build --preset fuzz --target fuzz_wordlist
ctest --preset fuzz "$@"

echo "== Windows: the rules and the data check cross-built and run under wine"
TROUVIMO_WINDOWS_SDK=$(tools/windows-sdk.sh)
export TROUVIMO_WINDOWS_SDK
cmake --preset windows
cmake --build --preset windows
rm -rf build-windows/wine
WINEPREFIX=$PWD/build-windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i
ctest --preset windows "$@"

echo "== Windows: the MSI installed silently under wine, played and removed"
./package.sh --windows
msi=$(realpath dist/trouvimo-*-x64.msi)
(cd tests/desktop && TROUVIMO_MSI=$msi PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -m unittest -v test_windows)

echo "== The Debian package, installed by apt and played"
./package.sh
if dpkg-query -W -f='${Status}' trouvimo 2>/dev/null | grep -q "install ok installed"; then
    echo "trouvimo is already installed on this machine: the package is left untested here"
else
    trap 'apt-get purge -y trouvimo' EXIT
    DEBIAN_FRONTEND=noninteractive apt-get install -y ./dist/trouvimo_*.deb
    (cd tests/desktop && TROUVIMO_INSTALLED_ROOT=/ PYTHONDONTWRITEBYTECODE=1 \
        /usr/bin/python3 -m unittest -v test_installed)
fi
