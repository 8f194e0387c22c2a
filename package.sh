#!/usr/bin/env bash
# Builds the Debian package dist/trouvimo_<version>_amd64.deb from the sources the way a packager
# would: a Release build with Debian's compiler flags, without tests, installed under /usr.
# Install it with: sudo apt install ./dist/trouvimo_*.deb
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh --packages-only

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
