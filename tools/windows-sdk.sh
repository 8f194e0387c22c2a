#!/usr/bin/env bash
# Builds the libraries the Windows build of the game links against, for x86_64 Windows with
# Debian's mingw-w64, from Debian's own source packages, in parts whose recipes are the files of
# tools/windows-sdk/: Qt 6.4.2 (qt.sh), the FLAC, Ogg and Opus codecs (codecs.sh) and libsndfile
# with them (sndfile.sh).
#
#   tools/windows-sdk.sh            builds what is not there yet and prints the SDK's folder
#   tools/windows-sdk.sh --name     prints the SDK's name alone
#
# Each part is named after a hash of its recipe, the toolchain file and the parts it builds on,
# and lives in ~/.cache/trouvimo/<part>-<hash> (or $TROUVIMO_WINDOWS_SDK_CACHE/...): a change to
# one recipe rebuilds that part and those built on it, never the others. A ready-made
# ../shared/windows-sdk/<part>-<hash>.tar.xz beside the clone is unpacked instead of building. The
# SDK is one folder of hard links to its parts' files, named after their names. Only progress goes
# to stderr; stdout is the folder.
set -euo pipefail
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
recipes=$root/tools/windows-sdk
toolchain=$root/cmake/mingw-w64.cmake
parts=(codecs sndfile qt)

# The recipe's variables: the source packages it needs, whether Debian's patches are applied to
# them (its fixes of security faults, for the libraries that read the family's files), the parts
# it builds on, and build_part.
load_recipe() {
    sources=() needs=() debian_patches=no
    # shellcheck source=/dev/null
    source "$recipes/$1.sh"
}

part_name() {
    local part=$1 need hashes=""
    load_recipe "$part"
    for need in "${needs[@]}"; do
        hashes+=$(part_name "$need")
    done
    echo "$part-$(cat "$recipes/$part.sh" "$toolchain" <(echo "$hashes") | sha256sum | cut -c1-16)"
}

sdk_name() {
    local part names=""
    for part in "${parts[@]}"; do
        names+=$(part_name "$part")
    done
    echo "windows-sdk-$(sha256sum <<< "$names" | cut -c1-16)"
}

if [[ ${1:-} == --name ]]; then
    sdk_name
    exit 0
fi

cache=${TROUVIMO_WINDOWS_SDK_CACHE:-$HOME/.cache/trouvimo}
sdk=$cache/$(sdk_name)
if [[ -f $sdk/.complete ]]; then
    echo "$sdk"
    exit 0
fi

say() { echo "windows-sdk: $*" >&2; }
mkdir -p "$cache"
started=$SECONDS

# Debian's sources, fetched once into the cache without touching the machine's own apt lists.
fetch_sources() {
    local apt=$cache/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts" "$apt/sources"
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$apt/src.sources"
    local apt_private=(-o Dir::Etc::SourceList="$apt/src.sources" -o Dir::Etc::SourceParts="$apt/parts"
                       -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache")
    apt-get "${apt_private[@]}" update >&2
    (cd "$apt/sources" && apt-get "${apt_private[@]}" source --download-only "$@" >&2)
    local package
    for package in "$@"; do
        if [[ $debian_patches == yes ]]; then
            local dsc
            for dsc in "$apt/sources/${package}_"*.dsc; do
                dpkg-source --no-check --no-copy -x "$dsc" >&2
            done
        else
            local tarball
            for tarball in "$apt/sources/${package}_"*.orig.tar.*; do
                tar xf "$tarball"
            done
        fi
    done
}

# Configures, builds and installs one source folder into the part's staging folder.
build() {
    local source=$1
    shift
    say "building $source ($((SECONDS - started)) s so far)"
    cmake -S "$source" -B "build-$source" "${cross[@]}" "$@" >&2
    cmake --build "build-$source" --parallel "$(nproc)" >&2
    cmake --install "build-$source" >&2
}

# Makes sure the part is in the cache, with the parts it builds on, and prints its folder.
ensure_part() {
    local part=$1 name need
    name=$(part_name "$part")
    local folder=$cache/$name
    if [[ -f $folder/.complete ]]; then
        echo "$folder"
        return
    fi
    load_recipe "$part"
    local below=()
    for need in "${needs[@]}"; do
        below+=("$(ensure_part "$need")")
    done
    load_recipe "$part"
    local ready=$root/../shared/windows-sdk/$name.tar.xz
    if [[ -f $ready ]]; then
        say "unpacking $ready"
        tar -C "$cache" -xJf "$ready"
    else
        "$root/setup.sh" --packages-only >&2
        # A build that stops half way goes on from where it was when the script runs again. It
        # installs into a folder of its own, renamed once whole: the libraries' CMake files are
        # relocatable.
        local work=$cache/build-$part
        local staging=$work/prefix
        mkdir -p "$work"
        (
            cd "$work"
            [[ -f sources.stamp ]] || { fetch_sources "${sources[@]}" && touch sources.stamp; }
            local search
            search=$(IFS=';' && echo "${below[*]}${below[*]:+;}$staging")
            cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
                   -DCMAKE_INSTALL_PREFIX="$staging" -DCMAKE_PREFIX_PATH="$search")
            export TROUVIMO_WINDOWS_SDK=$search
            build_part
        )
        rm -rf "$folder"
        mv "$staging" "$folder"
        rm -rf "$work"
    fi
    touch "$folder/.complete"
    # Older builds of the same part are no longer named by any recipe.
    find "$cache" -maxdepth 1 -name "$part-*" ! -name "$name" -exec rm -rf {} +
    say "$name ready ($((SECONDS - started)) s so far)"
    echo "$folder"
}

folders=()
for part in "${parts[@]}"; do
    folders+=("$(ensure_part "$part")")
done
rm -rf "$sdk.partial"
mkdir -p "$sdk.partial"
for folder in "${folders[@]}"; do
    cp -al "$folder/." "$sdk.partial/"
done
rm -f "$sdk.partial/.complete"
find "$cache" -maxdepth 1 -name 'windows-sdk-*' ! -name "${sdk##*/}.partial" -exec rm -rf {} +
mv "$sdk.partial" "$sdk"
touch "$sdk/.complete"
echo "$sdk"
