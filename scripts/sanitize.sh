#!/usr/bin/env bash
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, fuzz seed corpora
# included (they are tests), in build-sanitize. Benchmarks and the Debian package are left out:
# they measure and pack, and the first pass covers them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
build=build-sanitize
# No build type: the sanitizer flags bring their own -O1, and asserts stay on.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DSEISBENCH_SANITIZE=ON \
    -DSEISBENCH_BENCH=OFF >/dev/null
cmake --build "$build" -j2
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/sanitizers/lsan.supp:print_suppressions=0
ctest --test-dir "$build" --output-on-failure -j2 --timeout 900 -E '^package$'
