#!/usr/bin/env bash
# The main leg: installs what is missing, builds everything into build/, runs every test headless, then makes
# the Linux package and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TREL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${TREL_BUILD_TYPE:-RelWithDebInfo}
cmake --build "$build" --parallel
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300
# The Linux package from this build, unpacked and started, and checked by lintian.
TREL_PACKAGING_STARTED=$(date +%s) && export TREL_PACKAGING_STARTED
bash scripts/package.sh --deb-only
bash scripts/test-package.sh
