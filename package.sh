#!/usr/bin/env bash
# Builds the Debian package dist/trouvimo_<version>_amd64.deb from the sources the way a packager
# would: a Release build with Debian's compiler flags, without tests, installed under /usr.
# Install it with: sudo apt install ./dist/trouvimo_*.deb
#
# With --windows: builds the Windows SDK if it is not there yet (tools/windows-sdk.sh), then
# dist/trouvimo-<version>-x64.msi and dist/trouvimo-<version>-windows-x64.zip, the same folder
# to run without installing.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh --packages-only

if [[ ${1:-} == --windows ]]; then
    TROUVIMO_WINDOWS_SDK=$(tools/windows-sdk.sh)
    export TROUVIMO_WINDOWS_SDK
    build=build-windows-package
    folder=$PWD/$build/Trouvimo
    rm -rf "$build"
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$folder" \
        -DTROUVIMO_BUILD_TESTS=OFF -DTROUVIMO_BUILD_BENCH=OFF
    cmake --build "$build"
    cmake --install "$build" --strip
    version=$(cat "$build/packaging/windows/version.txt")
    # Every file of the folder becomes a component of its own under the install folder.
    (cd "$folder" && find . -type f | sed 's|^\./||' | sort) \
        | wixl-heat --prefix "" --directory-ref INSTALLDIR --component-group GameFiles \
            --var var.SourceDir --win64 > "$build/files.wxs"
    mkdir -p dist
    rm -f "dist/trouvimo-$version-x64.msi" "dist/trouvimo-$version-windows-x64.zip"
    wixl -a x64 -D SourceDir="$folder" -D Icon="$PWD/$build/packaging/windows/trouvimo.ico" \
        -o "dist/trouvimo-$version-x64.msi" "$build/packaging/windows/trouvimo.wxs" "$build/files.wxs"
    (cd "$build" && zip -qr9 "../dist/trouvimo-$version-windows-x64.zip" Trouvimo)
    ls -l "dist/trouvimo-$version-x64.msi" "dist/trouvimo-$version-windows-x64.zip"
    exit 0
fi

export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
rm -rf build-package
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DTROUVIMO_BUILD_TESTS=OFF -DTROUVIMO_BUILD_BENCH=OFF
cmake --build build-package
(cd build-package && cpack -G DEB)
mkdir -p dist
mv build-package/trouvimo_*.deb dist/
ls -l dist/trouvimo_*.deb
