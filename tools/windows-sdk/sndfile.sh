# libsndfile, which reads the game's sounds and the family's recordings, with the codecs of FLAC,
# Ogg Vorbis and Opus taken in from the codecs part.
sources=(libsndfile)
needs=(codecs)
debian_patches=yes

build_part() {
    # The codecs' pkg-config files name the folder they were built in, and the machine's own would
    # name Linux libraries: the libraries are found by CMake's search of the parts alone.
    mkdir -p no-pkgconfig
    # The hardened codecs call the compiler's stack-protector library, linked in after them.
    local windows_libraries="-lkernel32 -luser32 -lgdi32 -lwinspool -lshell32 -lole32 -loleaut32"
    windows_libraries+=" -luuid -lcomdlg32 -ladvapi32 -Wl,-Bstatic -lssp -Wl,-Bdynamic"
    PKG_CONFIG_LIBDIR=$PWD/no-pkgconfig build libsndfile-* -DBUILD_SHARED_LIBS=ON \
        -DENABLE_EXTERNAL_LIBS=ON -DENABLE_MPEG=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF \
        -DBUILD_TESTING=OFF -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF -DBUILD_REGTEST=OFF \
        -DCMAKE_C_FLAGS=-DFLAC__NO_DLL -DCMAKE_C_STANDARD_LIBRARIES="$windows_libraries"
}
