#!/usr/bin/env bash
# Builds Qt for Windows (x86_64-w64-mingw32) from Debian's own source of the Qt installed on this
# machine, so that the host tools (moc, rcc, uic from qt6-base-dev-tools) match it exactly. Only what
# Trel loads is built: Core, Gui, Widgets, Network, Test, the windows platform plugin and the
# minimal one for the headless window tests; shared DLLs with the bundled third-party libraries.
#
#   bash scripts/build-qt-windows.sh          prints the installed folder on its last line
#
# Installs into ${TREL_CACHE:-$HOME/.cache/trel}/qt-<version>-mingw-<hash of the options below>,
# written under a temporary name and renamed when complete: a finished build is reused by every later
# run, an interrupted one is redone.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
elapsed() { echo $(($(date +%s) - started)); }
say() { echo "[qt-windows $(elapsed) s] $*"; }

bash scripts/install-deps.sh cmake ninja-build dpkg-dev qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix

host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
upstream=${host_version%%+*}

# Everything that decides the result is in this list, so its hash names the cache folder.
options=(
    -DCMAKE_SYSTEM_NAME=Windows
    -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix
    -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix
    -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres
    -DCMAKE_FIND_ROOT_PATH=/usr/x86_64-w64-mingw32
    -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY
    -DCMAKE_BUILD_TYPE=Release
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF -DQT_BUILD_MANUAL_TESTS=OFF
    -DQT_GENERATE_SBOM=OFF
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_testlib=ON -DFEATURE_widgets=ON -DFEATURE_gui=ON -DFEATURE_network=ON
    # Debian's source has no wintab headers.
    -DFEATURE_tabletevent=OFF
    # The windows plugin's font database is DirectWrite's, which Gui builds only with direct2d on.
    -DFEATURE_direct2d=ON
    # ...but not the direct2d platform plugin, which Trel never loads.
    -DFEATURE_direct2d1_1=OFF
    # Third-party libraries from Qt's own tree; none of Debian's Linux builds fit a Windows program.
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_md4c=OFF
    # Nothing Trel does not load: no image formats beyond PNG, no accessibility bridges to other
    # toolkits, no SSL (Trel speaks plain UDP and TCP), no extra networking back ends.
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_imageformatplugin=OFF
    -DFEATURE_ssl=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=OFF -DFEATURE_networkinformation=OFF
    -DFEATURE_sql_sqlite=OFF -DFEATURE_vulkan=OFF -DFEATURE_sessionmanager=OFF -DFEATURE_pdf=OFF
    -DFEATURE_movie=OFF -DFEATURE_textmarkdownreader=OFF -DFEATURE_textodfwriter=OFF
    # XPM stays: Qt's drag and drop draws its cursors from XPM images, and its widgets do not build without it.
    -DFEATURE_imageformat_ppm=OFF -DFEATURE_imageformat_xbm=OFF
    -DFEATURE_imageformat_bmp=ON -DFEATURE_png=ON
    # The TUIO touch input plugin listens on UDP for touch tables; Trel takes no touch input.
    -DFEATURE_tuiotouch=OFF
    # The offscreen plugin is built only with FreeType, which Windows builds otherwise leave out.
    -DFEATURE_freetype=ON
)
hash=$(printf '%s\n' "$upstream" "${options[@]}" | sha256sum | cut -c1-12)
cache=${TREL_CACHE:-$HOME/.cache/trel}
prefix="$cache/qt-$upstream-mingw-$hash"
if [ -f "$prefix/bin/qt-cmake" ]; then
    say "reusing $prefix"
    echo "$prefix"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/trel-qt-windows.XXXXXX")
partial="$prefix.partial.$$"
cleanup() { rm -rf "$work" "$partial"; }
trap cleanup EXIT
mkdir -p "$cache"

# The source of the installed Qt; a deb-src entry for this system's own release is added when none
# is configured (deb822 files and one-line lists both count).
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    say "adding a deb-src entry for $codename"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$codename" | $SUDO tee /etc/apt/sources.list.d/trel-deb-src.sources >/dev/null
    $SUDO apt-get update -qq
fi
say "fetching the source of qt6-base $host_version"
(cd "$work" && apt-get source --download-only -qq "qt6-base=$host_version" >/dev/null)
dsc=$(ls "$work"/qt6-base_*.dsc)
source_version=$(sed -n 's/^Version: //p' "$dsc")
if [ "$source_version" != "$host_version" ]; then
    echo "qt6-base source $source_version does not match the installed host Qt $host_version" >&2
    exit 1
fi
(cd "$work" && dpkg-source --no-check -x "$dsc" src >/dev/null)
say "source $source_version unpacked"

# A line at least every minute while a long step runs, with the build's own last line.
progress() {
    while sleep 50; do say "still working: $(tail -n 1 "$work/log" 2>/dev/null | cut -c1-120)"; done
}
progress &
progress_pid=$!
trap 'kill "$progress_pid" 2>/dev/null; cleanup' EXIT

say "configuring"
if ! cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_INSTALL_PREFIX="$partial" "${options[@]}" \
        >"$work/log" 2>&1; then
    tail -n 60 "$work/log" >&2
    exit 1
fi
grep -E '^ *(FreeType|DirectWrite|Direct 2D|Default QPA|Tablet)' "$work/log" | sed 's/ \.\.\.* / /' || true
say "building"
if ! cmake --build "$work/build" --parallel "${TREL_QT_JOBS:-2}" >"$work/log" 2>&1; then
    tail -n 60 "$work/log" >&2
    exit 1
fi
say "installing"
cmake --install "$work/build" >"$work/log" 2>&1 || { tail -n 60 "$work/log" >&2; exit 1; }
mv "$partial" "$prefix"
say "installed $(du -sh "$prefix" | cut -f1) in $prefix; total $(elapsed) s"
echo "$prefix"
