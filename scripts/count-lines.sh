#!/usr/bin/env bash
# Counts the lines of the tests (tests/ and fuzz/) and of the code they test (core/, ui/, editors/, servers/,
# wizard/, app/, tools/) and prints both and their ratio. C++ sources and headers and the CMake files count;
# fuzz corpora, dictionaries, pictures and documents do not.
#
#   bash scripts/count-lines.sh
set -euo pipefail
cd "$(dirname "$0")/.."

lines() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.cmake' -o -name CMakeLists.txt \) \
        -not -path '*/corpus/*' -print0 | xargs -0 cat | wc -l
}
tests=$(lines tests fuzz)
code=$(lines core ui editors servers wizard app tools)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests and fuzz targets: %d lines\ncode: %d lines\nratio: %.2f\n", t, c, t / c }'
