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
    # The libraries come as they were built, with their symbols.
    find "$folder" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
    version=$(cat "$build/packaging/windows/version.txt")
    # Every file of the folder becomes a component of its own under the install folder.
    (cd "$folder" && find . -type f | sed 's|^\./||' | sort) \
        | wixl-heat --prefix "" --directory-ref INSTALLDIR --component-group GameFiles \
            --var var.SourceDir --win64 > "$build/files.wxs"
    # Windows Installer takes away the folders of the files it removes, but not a folder that
    # holds folders alone (Images): every folder is named for removal.
    {
        echo '<?xml version="1.0" encoding="utf-8"?>'
        echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi"><Fragment>'
        echo '<DirectoryRef Id="INSTALLDIR">'
        echo '<Component Id="Folders" Guid="0d3c7f52-8e1a-4b6f-a2d9-6c4e1f7b3a85" Win64="yes">'
        for id in INSTALLDIR $(grep -o 'Directory Id="[^"]*"' "$build/files.wxs" | cut -d'"' -f2); do
            echo "<RemoveFolder Id=\"remove_$id\" Directory=\"$id\" On=\"uninstall\"/>"
        done
        echo '<RegistryValue Root="HKLM" Key="Software\Trouvimo" Name="Folders" Type="integer"'
        echo ' Value="1" KeyPath="yes"/>'
        echo '</Component></DirectoryRef></Fragment></Wix>'
    } > "$build/folders.wxs"
    mkdir -p dist
    rm -f "dist/trouvimo-$version-x64.msi" "dist/trouvimo-$version-windows-x64.zip"
    # wixl takes the files' paths relative to where it runs.
    # The installer runs the game's executable to write the computer's settings.
    game_exe=$(grep -o '<File Id="[^"]*"[^>]*Source="[^"]*/trouvimo.exe"' "$build/files.wxs" \
        | cut -d'"' -f2)
    (cd "$build" && wixl -a x64 -D Win64=yes -D SourceDir=Trouvimo -D GameExe="$game_exe" \
        -D Icon=packaging/windows/trouvimo.ico -o "../dist/trouvimo-$version-x64.msi" \
        packaging/windows/trouvimo.wxs files.wxs folders.wxs)
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
