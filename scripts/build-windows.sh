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
# Its progress is shown as it comes; its last line names the folder it installed into. (Not through
# tee /dev/stderr: when the output goes to a file, that opens the file again and truncates it.)
qt_output=$(mktemp)
trap 'rm -f "$qt_output"' EXIT
bash scripts/build-qt-windows.sh | tee "$qt_output"
qt=$(tail -n 1 "$qt_output")
[ -x "$qt/bin/qt-cmake" ] || { echo "build-windows.sh: no Qt for Windows in '$qt'" >&2; exit 1; }
qt_done=$(date +%s)
build=${TREL_WINDOWS_BUILD_DIR:-build-windows}
# Configured once per Qt: later builds let the build itself rerun CMake when a CMake file changes.
# TREL_BENCH=OFF leaves the benchmarks out (the test leg does).
bench=${TREL_BENCH:-ON}
if ! grep -qxF "Qt6_DIR:PATH=$qt/lib/cmake/Qt6" "$build/CMakeCache.txt" 2>/dev/null; then
    "$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE="${TREL_WINDOWS_BUILD_TYPE:-Release}" -DTREL_BENCH="$bench"
elif ! grep -qxF "TREL_BENCH:BOOL=$bench" "$build/CMakeCache.txt"; then
    cmake -DTREL_BENCH="$bench" "$build" >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" --parallel "${targets[@]}"
echo "Windows build: Qt for Windows $((qt_done - started)) s, Trel $(($(date +%s) - qt_done)) s"
