#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the main leg (build/), the Windows leg (MinGW-w64
# build of the core, its tests under Wine), the sanitizer leg (everything again with AddressSanitizer and
# UndefinedBehaviorSanitizer) and ten seconds of each fuzz target. Any leg failing fails the run.
# TREL_LEGS picks legs for a quicker local run, e.g. TREL_LEGS="linux".
set -euo pipefail
cd "$(dirname "$0")/.."
for leg in ${TREL_LEGS:-linux windows sanitize fuzz}; do
    case $leg in
    linux) bash scripts/test-linux.sh ;;
    windows) bash scripts/test-windows.sh ;;
    sanitize) bash scripts/test-sanitize.sh ;;
    fuzz) bash scripts/fuzz-ci.sh ;;
    *) echo "unknown leg: $leg" >&2; exit 2 ;;
    esac
done
