# The codecs libsndfile reads FLAC and Ogg recordings with: libogg, libvorbis, libFLAC and libopus,
# built as static libraries that the libsndfile DLL takes in, so the game ships no more DLLs.
sources=(libogg libvorbis flac opus)
needs=()
debian_patches=yes

build_part() {
    local static=(-DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF -DINSTALL_DOCS=OFF)
    build libogg-* "${static[@]}"
    build libvorbis-* "${static[@]}"
    # Built hardened, as Debian builds them: they read files a family brings. libsndfile's DLL
    # takes in the compiler's stack-protector library that their checks call.
    build flac-* "${static[@]}" -DWITH_OGG=ON -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF \
        -DBUILD_EXAMPLES=OFF -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF -DINSTALL_PKGCONFIG_MODULES=OFF
    # Opus 1.3.1's release leaves out a file its CMake build includes: it builds with its
    # configure script, as Debian builds it.
    say "building opus ($((SECONDS - started)) s so far)"
    (
        cd opus-*
        ./configure --host=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix --prefix="$staging" \
            --disable-shared --enable-static --disable-doc --disable-extra-programs >&2
        make -j"$(nproc)" >&2
        make install >&2
    )
}
