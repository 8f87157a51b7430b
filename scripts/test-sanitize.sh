#!/usr/bin/env bash
# The sanitizer leg: builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (leak checks
# included) into build-asan (TREL_ASAN_BUILD_DIR) at -O0 and runs the whole test suite there, headless.
# Any finding stops the program that made it, so its test fails. Qt's own allocations that live until the
# program ends are listed in tests/lsan.supp; nothing of Trel's may be.
#
#   bash scripts/test-sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
elapsed() { echo $(($(date +%s) - $1)); }

bash scripts/install-deps.sh
build=${TREL_ASAN_BUILD_DIR:-build-asan}
# Unoptimized: the instrumented build is this leg's longest part and compiles about three times faster at -O0
# than at -O1, for tests that run a little slower; nothing is optimized away from the checks. The benchmarks
# are built by the main leg.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g" -DTREL_SANITIZE=ON \
    -DTREL_BENCH=OFF
cmake --build "$build" --parallel
build_seconds=$(elapsed "$started")

test_started=$(date +%s)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
ctest --test-dir "$build" --output-on-failure --parallel 2 --timeout 600 || status=$?
echo "Sanitizer leg: build ${build_seconds} s, tests $(elapsed "$test_started") s, total $(elapsed "$started") s"
exit "$status"
