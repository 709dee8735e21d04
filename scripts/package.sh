#!/usr/bin/env bash
# Installs into a staging folder, validates the desktop entry and the
# AppStream metadata and the manual pages, builds the .deb, lists what it
# holds and checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
BUILD_DIR=build-package

install_missing "${PACKAGES[@]}" desktop-file-utils appstream dpkg-dev man-db lintian
# Built with Debian's hardening flags, as Debian builds its own packages.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DWARNINGS_AS_ERRORS=ON \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$BUILD_DIR" -j2 --target commonserver-editor commonserver-cfg documents

stage="$BUILD_DIR/stage"
rm -rf "$stage"
cmake --install "$BUILD_DIR" --prefix "$stage/usr" >/dev/null
desktop-file-validate "$stage"/usr/share/applications/*.desktop
# The command-line tool runs without a display, its manual page reads.
"$stage/usr/bin/commonserver-cfg" --version
for page in "$stage"/usr/share/man/man1/*.1.gz; do
    warnings=$(man --warnings -l -Tutf8 "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml

(cd "$BUILD_DIR" && cpack >/dev/null)
deb=$(ls "$BUILD_DIR"/*.deb)
echo "Package: $deb"
dpkg-deb --field "$deb" Package Version Depends
dpkg-deb --contents "$deb"
# Debian's own package checker: no error and no warning.
lintian --fail-on error,warning "$deb"
echo "lintian: no error, no warning"
