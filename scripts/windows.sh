#!/usr/bin/env bash
# The Windows build, made on this Debian machine from Debian 12 packages only:
#   1. Qt 6.4.2 (qtbase) for x86_64-w64-mingw32, built from Debian's own source
#      package into a cache outside the clone, once per recipe (about 40
#      minutes on 2 cores; later runs find it ready);
#   2. the editor and its tests, cross-compiled with cmake/mingw-w64-x86_64.cmake;
#   3. the whole test suite under Wine (private prefix, offscreen platform);
#   4. the installer (NSIS) and a portable zip, in build-windows/.
# `scripts/windows.sh qt` stops after step 1; `scripts/windows.sh screenshot`
# then shows the editor under Wine on a virtual display and saves
# docs/screenshots/windows-main.png; `scripts/windows.sh bench` times 36
# single-key writes against Wine's own profile functions (bench/perkey.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

WINDOWS_PACKAGES=(cmake ninja-build qt6-base-dev qt6-base-dev-tools "${RUNTIME_PACKAGES[@]}"
                  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix dpkg-dev xz-utils
                  wine wine64 nsis zip)
BUILD_DIR=build-windows
VERSION=$(sed -n 's/^project(CommonServerEditor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The MinGW runtime the programs link against.
MINGW_RUNTIME=(/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
               /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
               /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
TOOLCHAIN=$PWD/cmake/mingw-w64-x86_64.cmake

QT_SOURCE_VERSION=6.4.2+dfsg-10
# What the Windows program needs and nothing more. The +dfsg tarball lacks
# sqlite and wintab; plain -no-feature-direct2d would also drop the
# DirectWrite font database that the windows platform plugin links against;
# Debian's cross-compiling patch would otherwise turn androiddeployqt on.
QT_CONFIGURE_FLAGS=(-release -shared -nomake examples -nomake tests -no-pkg-config -no-icu
                    -no-opengl -no-feature-vulkan -no-dbus -qt-zlib -qt-pcre -qt-libpng
                    -qt-freetype -qt-harfbuzz -qt-doubleconversion -no-libjpeg -no-feature-sql
                    -no-feature-network -no-feature-xml -no-feature-printsupport
                    -no-feature-concurrent -no-feature-tabletevent -no-feature-direct2d1_1
                    -no-feature-androiddeployqt)

recipe=$( { echo "$QT_SOURCE_VERSION"; printf '%s\n' "${QT_CONFIGURE_FLAGS[@]}"; cat "$TOOLCHAIN"; } \
          | sha256sum | cut -c1-12)
CACHE_ROOT=${XDG_CACHE_HOME:-$HOME/.cache}/commonserver-editor
QT_PREFIX=$CACHE_ROOT/qt-$QT_SOURCE_VERSION-mingw64-$recipe

# The machine's own package sources, each "deb" entry turned into "deb-src"
# (one-line lists and deb822 .sources alike, options and keys kept), into
# FOLDER/sources.list and FOLDER/parts/.
source_entries() {
    local folder=$1 etc=/etc/apt
    eval "$(apt-config shell etc Dir::Etc/d)"
    rm -rf "$folder" && mkdir -p "$folder/parts"
    local one_line='/^[[:space:]]*deb[[:space:]]/ { sub(/deb/, "deb-src"); print }'
    # A deb822 stanza is kept, as deb-src, when its Types name deb.
    local stanzas='BEGIN { RS = ""; ORS = "\n\n" }
        { if (sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src")) { sub(/^\n/, ""); print } }'
    awk "$one_line" "$etc/sources.list" >"$folder/sources.list" 2>/dev/null || true
    for list in "$etc"/sources.list.d/*.list; do
        [ -f "$list" ] && awk "$one_line" "$list" >"$folder/parts/$(basename "$list")"
    done
    for list in "$etc"/sources.list.d/*.sources; do
        [ -f "$list" ] && awk "$stanzas" "$list" >"$folder/parts/$(basename "$list")"
    done
    return 0
}

# Builds Qt into $QT_PREFIX unless a complete build is already there.
build_qt() {
    [ -f "$QT_PREFIX/.complete" ] && return 0
    echo "Building Qt $QT_SOURCE_VERSION for Windows into $QT_PREFIX (about 40 minutes on 2 cores)"
    local work=$CACHE_ROOT/qt-work-$recipe
    rm -rf "$work" "$QT_PREFIX"
    mkdir -p "$work/lists/partial" "$work/apt/archives/partial"

    # Debian's source package, from the machine's own package sources (its
    # mirror or cache, whatever they are) read as source entries, through
    # private package lists so that the machine's own lists stay as they are.
    source_entries "$work/sources"
    local apt=(-o "Dir::Etc::SourceList=$work/sources/sources.list" -o "Dir::Etc::SourceParts=$work/sources/parts"
               -o APT::Sandbox::User=root -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/apt")
    # A source without source packages (a third party's) fails its part of the
    # update; what counts is that one of them has Qt's.
    apt-get "${apt[@]}" update -qq >"$work/update.log" 2>&1 || true
    (cd "$work" && apt-get "${apt[@]}" source --download-only "qt6-base=$QT_SOURCE_VERSION" >"$work/source.log" 2>&1) \
        || { cat "$work/update.log" "$work/source.log"; echo "No package source of this machine has qt6-base $QT_SOURCE_VERSION" >&2; exit 1; }
    # Unpacking applies Debian's patch series.
    dpkg-source --no-check -x "$work"/qt6-base_"$QT_SOURCE_VERSION".dsc "$work/src" >/dev/null

    mkdir -p "$work/build"
    (cd "$work/build" &&
        "$work/src/configure" -prefix "$QT_PREFIX" "${QT_CONFIGURE_FLAGS[@]}" -qt-host-path /usr \
            -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
               -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1 \
        || { tail -40 "$work/configure.log"; exit 1; })
    cmake --build "$work/build" --parallel 2 >"$work/build.log" 2>&1 || { tail -40 "$work/build.log"; exit 1; }
    cmake --install "$work/build" >/dev/null
    touch "$QT_PREFIX/.complete"
    rm -rf "$work"
}

# Puts beside the programs in a folder what they need to run: the MinGW
# runtime, Qt's libraries, the windows platform and style plugins, Qt's
# Portuguese texts and the headings' calligraphic font (Z003, from
# fonts-urw-base35, with its licence: Windows has no Monotype Corsiva of its
# own, only Office brings it); and, for the tests, Qt Test and the offscreen
# platform.
gather() {
    local into=$1 tests=${2:-}
    mkdir -p "$into/platforms" "$into/styles" "$into/translations" "$into/fonts"
    cp /usr/share/fonts/opentype/urw-base35/Z003-MediumItalic.otf "$into/fonts/"
    cp /usr/share/doc/fonts-urw-base35/copyright "$into/fonts/Z003-copyright.txt"
    cp "${MINGW_RUNTIME[@]}" "$QT_PREFIX"/bin/Qt6{Core,Gui,Widgets}.dll "$into/"
    cp "$QT_PREFIX/plugins/platforms/qwindows.dll" "$into/platforms/"
    cp "$QT_PREFIX/plugins/styles/qwindowsvistastyle.dll" "$into/styles/"
    cp /usr/share/qt6/translations/qtbase_pt_BR.qm "$into/translations/"
    if [ -n "$tests" ]; then
        cp "$QT_PREFIX/bin/Qt6Test.dll" "$into/"
        cp "$QT_PREFIX/plugins/platforms/qoffscreen.dll" "$into/platforms/"
    fi
}

# A Wine of our own, kept with the Qt build; made the first time (about 10 s).
# Its server and services run from here until the script ends.
export WINEPREFIX=$CACHE_ROOT/wine WINEDEBUG=-all WINEARCH=win64
use_wine() {
    [ -f "$WINEPREFIX/system.reg" ] || wineboot --init >/dev/null 2>&1
    wineserver -k 2>/dev/null || true # one left by an earlier run would refuse -p
    wineserver -p
    trap 'wineserver -k 2>/dev/null || true' EXIT
}

install_missing "${WINDOWS_PACKAGES[@]}"
build_qt
[ "${1:-}" = qt ] && exit 0

if [ "${1:-}" = bench ]; then
    cmake -S . -B "$BUILD_DIR-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=ON \
        -DCMAKE_TOOLCHAIN_FILE="$QT_PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOOLCHAIN" >/dev/null
    cmake --build "$BUILD_DIR-bench" --parallel 2 --target perkey
    gather "$BUILD_DIR-bench"
    use_wine
    wine "$BUILD_DIR-bench/perkey.exe"
    exit 0
fi

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWARNINGS_AS_ERRORS=ON \
    -DCMAKE_TOOLCHAIN_FILE="$QT_PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/scripts/wine-run.sh" >/dev/null
cmake --build "$BUILD_DIR" --parallel 2
gather "$BUILD_DIR" tests
use_wine

if [ "${1:-}" = screenshot ]; then
    install_missing xvfb imagemagick
    Xvfb :93 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
    sleep 1
    DISPLAY=:93 wine "$BUILD_DIR/commonserver-editor.exe" >/dev/null 2>&1 &
    sleep 8
    # The desktop is black: trimming it leaves the window.
    DISPLAY=:93 import -window root -trim +repage docs/screenshots/windows-main.png
    echo "wrote docs/screenshots/windows-main.png"
    exit 0
fi

# The whole test suite under Wine, each program's log shown in short.
status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 || status=$?
echo "Under Wine:"
for log in "$BUILD_DIR"/tests/tst_*.log; do
    printf '  %-22s %s\n' "$(basename "$log" .log)" "$(grep -h '^Totals' "$log")"
    grep -h '^SKIP' "$log" | sed 's/^SKIP   : /    skipped: /' || true
done
[ "$status" -eq 0 ] || exit "$status"

# The command-line tool is a console program that answers under Wine.
wine "$BUILD_DIR/commonserver-cfg.exe" --version

# The programs with what they need, as a portable zip and as an installer.
dist=$BUILD_DIR/dist/commonserver-editor-$VERSION
rm -rf "$BUILD_DIR/dist"
mkdir -p "$dist"
cp "$BUILD_DIR/commonserver-editor.exe" "$BUILD_DIR/commonserver-cfg.exe" "$dist/"
gather "$dist"
zip=$BUILD_DIR/commonserver-editor-$VERSION-windows-x64.zip
rm -f "$zip"
(cd "$BUILD_DIR/dist" && zip -qr "../$(basename "$zip")" "commonserver-editor-$VERSION")
setup=$BUILD_DIR/commonserver-editor-$VERSION-setup.exe
makensis -V2 -DVERSION="$VERSION" -DDIST="$PWD/$dist" -DOUTFILE="$PWD/$setup" \
    -DICON="$PWD/assets/icon.ico" packaging/windows/installer.nsi
# The installer, run silently in the Wine prefix, puts both programs in place.
wine "$setup" /S
installed="$WINEPREFIX/drive_c/Program Files/CommonServerEditor"
[ -f "$installed/commonserver-editor.exe" ] && wine "$installed/commonserver-cfg.exe" --version
# "Abrir com" offers the editor for .cfg files.
wine reg query 'HKLM\Software\Classes\Applications\commonserver-editor.exe\shell\open\command' 2>/dev/null \
    | grep -q 'commonserver-editor.exe" "%1"' || { echo 'the installer did not register "Abrir com" for .cfg' >&2; exit 1; }
echo '"Abrir com": the editor opens .cfg files'
echo "Installer: $setup ($(du -h "$setup" | cut -f1))"
echo "Portable:  $zip ($(du -h "$zip" | cut -f1))"
