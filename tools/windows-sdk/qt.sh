# The Qt part of the Windows SDK: qtbase, qtshadertools (which qtmultimedia needs to build),
# qtmultimedia and qtimageformats (for WebP), 6.4.2, with the host tools of Debian's Qt.
sources=(qt6-base qt6-shadertools qt6-multimedia qt6-imageformats)
needs=()

build_part() {
    local qt=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
              -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF)
    # What the game does not use stays out: databases, D-Bus, printing, XML. Tablet events need a
    # header Debian's source leaves out; the Windows platform plugin does not build without OpenGL.
    build qtbase-everywhere-src-6.4.2 "${qt[@]}" -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
        -DBUILD_SHARED_LIBS=ON -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
        -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF -DFEATURE_icu=OFF -DFEATURE_system_zlib=OFF
    build qtshadertools-everywhere-src-6.4.2 "${qt[@]}"
    # Qt names Media Foundation's libraries and some Windows headers in the case Windows' SDK
    # spells them (Mf, Mferror.h), where mingw-w64 names them in lower case, and its own QUrl as
    # "QUrl.h": on Windows the case of a name does not matter.
    local mingw=/usr/x86_64-w64-mingw32 wmf=() library upper header
    for library in Mf Mfuuid Mfplat Mfcore Propsys; do
        upper=$(tr '[:lower:]' '[:upper:]' <<< "$library")
        wmf+=("-DWMF_${upper}_LIBRARY=$mingw/lib/lib${library,,}.a")
    done
    mkdir -p headers
    grep -rhoE '#include [<"][A-Z][A-Za-z0-9_]*\.h[>"]' qtmultimedia-everywhere-src-6.4.2/src \
        | sed -E 's/#include [<"](.*)[>"]/\1/' | sort -u | while read -r header; do
            if [[ ! -e $mingw/include/$header && -e $mingw/include/${header,,} ]]; then
                echo "#include <${header,,}>" > "headers/$header"
            fi
        done
    echo "#include <QtCore/qurl.h>" > headers/QUrl.h
    build qtmultimedia-everywhere-src-6.4.2 "${qt[@]}" -DFEATURE_ffmpeg=OFF -DFEATURE_wmf=ON \
        "${wmf[@]}" -DCMAKE_CXX_FLAGS="-I$PWD/headers"
    build qtimageformats-everywhere-src-6.4.2 "${qt[@]}" -DFEATURE_tiff=OFF -DFEATURE_jasper=OFF \
        -DFEATURE_mng=OFF -DFEATURE_wbmp=OFF -DFEATURE_tga=OFF -DFEATURE_icns=OFF
}
