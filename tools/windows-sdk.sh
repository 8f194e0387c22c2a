#!/usr/bin/env bash
# Builds the libraries the Windows build of the game links against, for x86_64 Windows with
# Debian's mingw-w64, from Debian's own source packages: Qt 6.4.2 (qtbase, qtshadertools, which
# qtmultimedia needs to build, qtmultimedia, qtimageformats for WebP) with the host tools of
# Debian's Qt, and libsndfile without its optional codecs.
#
#   tools/windows-sdk.sh            builds the SDK if it is not there yet and prints its folder
#   tools/windows-sdk.sh --name     prints the SDK's name alone
#
# The SDK is named after a hash of this recipe and lives in ~/.cache/trouvimo/<name> (or
# $TROUVIMO_WINDOWS_SDK_CACHE/<name>); a ready-made ../shared/windows-sdk/<name>.tar.xz beside the
# clone is unpacked instead of building. Only progress goes to stderr; stdout is the folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

recipe=("$root/tools/windows-sdk.sh" "$root/cmake/mingw-w64.cmake")
name=windows-sdk-$(cat "${recipe[@]}" | sha256sum | cut -c1-16)
if [[ ${1:-} == --name ]]; then
    echo "$name"
    exit 0
fi

cache=${TROUVIMO_WINDOWS_SDK_CACHE:-$HOME/.cache/trouvimo}
prefix=$cache/$name
if [[ -f $prefix/.complete ]]; then
    echo "$prefix"
    exit 0
fi

say() { echo "windows-sdk: $*" >&2; }
mkdir -p "$cache"

ready=$root/../shared/windows-sdk/$name.tar.xz
if [[ -f $ready ]]; then
    say "unpacking $ready"
    tar -C "$cache" -xJf "$ready"
    touch "$prefix/.complete"
    echo "$prefix"
    exit 0
fi

"$root/setup.sh" --packages-only >&2
# A build that stops half way goes on from where it was when the script runs again. It installs
# into a folder of its own, renamed once whole: Qt's and libsndfile's CMake files are relocatable.
work=$cache/build
staging=$work/prefix
mkdir -p "$work"
cd "$work"
started=$SECONDS

# Debian's sources, fetched without touching the machine's own apt lists.
sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > src.sources
mkdir -p lists/partial cache/archives/partial parts
apt_private=(-o Dir::Etc::SourceList="$work/src.sources" -o Dir::Etc::SourceParts="$work/parts"
             -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache")
if [[ ! -f sources.stamp ]]; then
    apt-get "${apt_private[@]}" update >&2
    apt-get "${apt_private[@]}" source --download-only \
        qt6-base qt6-shadertools qt6-multimedia qt6-imageformats libsndfile >&2
    for tarball in *.orig.tar.*; do
        tar xf "$tarball"
    done
    touch sources.stamp
fi

toolchain=$root/cmake/mingw-w64.cmake
jobs=$(nproc)
cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
       -DCMAKE_INSTALL_PREFIX="$staging" -DCMAKE_PREFIX_PATH="$staging")
qt=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF)
export TROUVIMO_WINDOWS_SDK=$staging

build() {
    local source=$1
    shift
    say "building $source ($((SECONDS - started)) s so far)"
    cmake -S "$source" -B "build-$source" "${cross[@]}" "$@" >&2
    cmake --build "build-$source" --parallel "$jobs" >&2
    cmake --install "build-$source" >&2
}

# What the game does not use stays out: databases, D-Bus, printing, XML. Tablet events need a
# header Debian's source leaves out; the Windows platform plugin does not build without OpenGL.
build qtbase-everywhere-src-6.4.2 "${qt[@]}" -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DBUILD_SHARED_LIBS=ON -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF -DFEATURE_icu=OFF -DFEATURE_system_zlib=OFF
build qtshadertools-everywhere-src-6.4.2 "${qt[@]}"
# Qt names Media Foundation's libraries and some Windows headers in the case Windows' SDK spells
# them (Mf, Mferror.h), where mingw-w64 names them in lower case, and its own QUrl as "QUrl.h":
# on Windows the case of a name does not matter.
mingw=/usr/x86_64-w64-mingw32
wmf=()
for library in Mf Mfuuid Mfplat Mfcore Propsys; do
    upper=$(tr '[:lower:]' '[:upper:]' <<< "$library")
    wmf+=("-DWMF_${upper}_LIBRARY=$mingw/lib/lib${library,,}.a")
done
mkdir -p "$work/headers"
grep -rhoE '#include [<"][A-Z][A-Za-z0-9_]*\.h[>"]' qtmultimedia-everywhere-src-6.4.2/src \
    | sed -E 's/#include [<"](.*)[>"]/\1/' | sort -u | while read -r header; do
        if [[ ! -e $mingw/include/$header && -e $mingw/include/${header,,} ]]; then
            echo "#include <${header,,}>" > "$work/headers/$header"
        fi
    done
echo "#include <QtCore/qurl.h>" > "$work/headers/QUrl.h"
build qtmultimedia-everywhere-src-6.4.2 "${qt[@]}" -DFEATURE_ffmpeg=OFF -DFEATURE_wmf=ON "${wmf[@]}" \
    -DCMAKE_CXX_FLAGS="-I$work/headers"
build qtimageformats-everywhere-src-6.4.2 "${qt[@]}" -DFEATURE_tiff=OFF -DFEATURE_jasper=OFF \
    -DFEATURE_mng=OFF -DFEATURE_wbmp=OFF -DFEATURE_tga=OFF -DFEATURE_icns=OFF
build libsndfile-1.2.0 -DBUILD_SHARED_LIBS=ON -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF \
    -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_CPACK=OFF \
    -DINSTALL_MANPAGES=OFF -DBUILD_REGTEST=OFF

say "built in $((SECONDS - started)) s"
rm -rf "$prefix"
mv "$staging" "$prefix"
touch "$prefix/.complete"
cd "$cache"
rm -rf "$work"
echo "$prefix"
