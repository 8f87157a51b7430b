#!/usr/bin/env bash
# Builds Trel as Windows programs with MinGW-w64 against Qt for Windows, which scripts/build-qt-windows.sh
# builds once and keeps in its cache. Installs what is missing from Debian's packages.
#
#   bash scripts/build-windows.sh [TARGET...]     everything, or only the targets named
#
# Build folder build-windows (TREL_WINDOWS_BUILD_DIR), build type Release (TREL_WINDOWS_BUILD_TYPE):
# debugging information would double the MinGW build time and nothing here reads it.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
bash scripts/install-deps.sh cmake ninja-build googletest g++-mingw-w64-x86-64-posix
# Its progress goes to the log; its last line names the folder it installed into.
qt=$(bash scripts/build-qt-windows.sh | tee /dev/stderr | tail -n 1)
[ -x "$qt/bin/qt-cmake" ] || { echo "build-windows.sh: no Qt for Windows in '$qt'" >&2; exit 1; }
qt_done=$(date +%s)
build=${TREL_WINDOWS_BUILD_DIR:-build-windows}
"$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE="${TREL_WINDOWS_BUILD_TYPE:-Release}"
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" --parallel "${targets[@]}"
echo "Windows build: Qt for Windows $((qt_done - started)) s, Trel $(($(date +%s) - qt_done)) s"
