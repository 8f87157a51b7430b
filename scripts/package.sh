#!/usr/bin/env bash
# Makes Trel's packages in build/packages/ (TREL_BUILD_DIR/packages/): the Linux package
# trel_<version>_amd64.deb, through CPack from the main build, and the Windows zip.
# --deb-only or --zip-only makes only the one.
set -euo pipefail
cd "$(dirname "$0")/.."
what=all
case ${1:-} in
"") ;;
--deb-only) what=deb ;;
--zip-only) what=zip ;;
*) echo "usage: $0 [--deb-only | --zip-only]" >&2; exit 2 ;;
esac
build=${TREL_BUILD_DIR:-build}

package_deb() {
    bash scripts/install-deps.sh
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${TREL_BUILD_TYPE:-RelWithDebInfo}
    cmake --build "$build" --parallel
    (cd "$build" && cpack -G DEB)
}

# The Windows zip from the Windows build of the program (scripts/build-windows.sh).
package_zip() {
    bash scripts/build-windows.sh trel
    bash scripts/package-zip.sh "${TREL_WINDOWS_BUILD_DIR:-build-windows}" "$build/packages"
}

if [ $what != zip ]; then
    package_deb
fi
if [ $what != deb ]; then
    package_zip
fi
ls -l "$build"/packages/
