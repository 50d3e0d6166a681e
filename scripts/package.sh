#!/usr/bin/env bash
# Builds the Debian package: installs what it needs, builds in Release into build-package/ with
# Debian's hardening flags, runs CPack, and leaves build/quillharbour_<version>_amd64.deb; then
# checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package
build=build-package
# Debian's compiler and linker flags (stack protector, fortify, relro, bind now), as a package
# built by Debian's own tools gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
# -Werror=dev: a changelog without an entry for the project's version stops the package.
cmake -S . -B "$build" -G Ninja -Werror=dev -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQH_BUILD_TESTS=OFF -DQH_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" -j2
rm -f "$build"/quillharbour_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/quillharbour_*_amd64.deb)"
mkdir -p build
rm -f build/quillharbour_*.deb
cp "$deb" build/
deb="build/$(basename "$deb")"
echo "Package: $deb"
dpkg-deb --field "$deb" Package Version Depends Recommends
# Errors fail the script; the warnings it prints are the known ones listed in the README.
lintian --fail-on error --tag-display-limit 0 "$deb"
