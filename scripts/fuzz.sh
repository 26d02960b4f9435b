#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for SECONDS (default 60),
# starting from its seed corpus. New inputs go to build-fuzz/corpus/NAME, never into the
# repository; a crashing input is left in build-fuzz/crashes. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/bootstrap.sh clang libclang-rt-dev

build=build-fuzz
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSEISBENCH_FUZZ=ON -DSEISBENCH_GUI=OFF -DSEISBENCH_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_targets

mkdir -p "$build/crashes"
# Absolute, since a target may work in a folder of its own while it runs an input.
crashes="$PWD/$build/crashes"
failed=()
for seeds in fuzz/corpus/*/; do
    name=$(basename "$seeds")
    work="$build/corpus/$name"
    mkdir -p "$work"
    echo "== fuzz_$name: $seconds s"
    if ! (cd "$build/bin" && ./"fuzz_$name" -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$crashes/$name-" "../corpus/$name" "../../$seeds" \
            2>&1 | tail -n 12); then
        failed+=("$name")
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: failures in ${failed[*]} (inputs in $build/crashes)"
    exit 1
fi
echo "fuzz: every target ran $seconds s without a failure"
