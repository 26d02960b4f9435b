#!/usr/bin/env bash
# Installs what is missing, builds the two programs (the tests are the second command's job),
# and runs the main job on the simulated board: connect, configure, capture four averaged
# blocks and print the signal metrics of every channel. With a display, the desktop program
# starts afterwards on the simulated board.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Without Qt there is no desktop program to build.
targets=(seisbench-cli)
if grep -q '^SEISBENCH_GUI:BOOL=ON' build/CMakeCache.txt; then targets+=(seisbench); fi
cmake --build build -j2 --target "${targets[@]}"
build/bin/seisbench-cli --simulate --script scripts/main-job.txt
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/seisbench ]; then
    exec build/bin/seisbench --simulate
fi
