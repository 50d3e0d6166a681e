#!/usr/bin/env bash
# Builds the Debian packages: installs what it needs, builds in Release into build-package/ with
# Debian's hardening flags, runs CPack, and leaves in build/
#   quillharbour_<version>_amd64.deb        the teacher's computer
#   quillharbour-child_<version>_amd64.deb  the student computers
#   quillharbour-pages_<version>_all.deb    the demo pages, which both need
# then checks them with lintian (no error and no warning) and the software centres' metadata with
# appstreamcli.
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
# -Werror=dev: a changelog without an entry for the project's version stops the packages.
cmake -S . -B "$build" -G Ninja -Werror=dev -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQH_BUILD_TESTS=OFF -DQH_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" -j2
rm -f "$build"/quillharbour*.deb
(cd "$build" && cpack -G DEB >/dev/null)
mkdir -p build
rm -f build/quillharbour*.deb
debs=()
for deb in "$build"/quillharbour*.deb; do
    cp "$deb" build/
    debs+=("build/$(basename "$deb")")
done
for deb in "${debs[@]}"; do
    echo "Package: $deb"
    dpkg-deb --field "$deb" Version Depends Recommends Breaks Replaces
done
lintian --fail-on error,warning --tag-display-limit 0 "${debs[@]}"
appstreamcli validate --no-net packaging/metainfo/*.metainfo.xml
