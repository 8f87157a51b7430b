#!/usr/bin/env bash
# The Windows leg: builds the core, the stand-in game (quake2.exe) and the core's tests as Windows
# programs with MinGW-w64 and runs the tests under Wine through CTest, headless, in a fresh Wine
# prefix made in a temporary folder. Installs MinGW-w64, Wine and GoogleTest's sources from Debian's
# packages when any is missing.
#
#   bash scripts/test-windows.sh
#
# Build folder build-windows (TREL_WINDOWS_BUILD_DIR), build type Release (TREL_WINDOWS_BUILD_TYPE):
# debugging information would double the MinGW build time and nothing here reads it.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
elapsed() { echo $(($(date +%s) - $1)); }

bash scripts/install-deps.sh cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine wine64
install_seconds=$(elapsed "$started")

build_started=$(date +%s)
build=${TREL_WINDOWS_BUILD_DIR:-build-windows}
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-w64.cmake" -DTREL_WITH_QT=OFF \
      -DCMAKE_BUILD_TYPE=${TREL_WINDOWS_BUILD_TYPE:-Release}
cmake --build "$build" --parallel
build_seconds=$(elapsed "$build_started")

test_started=$(date +%s)
# A prefix of its own for every run, so nothing from an earlier run or the user's own prefix counts.
# No display: the tests are console programs, and Wine runs them without one.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/trel-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
}
trap cleanup EXIT
# One Wine server for all the tests, and the prefix made once before they start in parallel; the
# mark tells scripts/wine-run.sh that it is complete.
wineserver -p
if ! wineboot -i >"$WINEPREFIX.log" 2>&1; then
    cat "$WINEPREFIX.log" >&2
    rm -f "$WINEPREFIX.log"
    exit 1
fi
rm -f "$WINEPREFIX.log"
touch "$WINEPREFIX/.trel-prefix-ready"
status=0
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300 || status=$?
test_seconds=$(elapsed "$test_started")

echo "Windows leg: install ${install_seconds} s, build ${build_seconds} s, tests under Wine ${test_seconds} s," \
     "total $(elapsed "$started") s"
exit "$status"
