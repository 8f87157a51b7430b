#!/usr/bin/env bash
# The fuzzing leg of CI: every libFuzzer target for 10 seconds (TREL_FUZZ_SECONDS) from the committed seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
bench/fuzz "${TREL_FUZZ_SECONDS:-10}"
echo "Fuzzing leg: total $(($(date +%s) - started)) s"
