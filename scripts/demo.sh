#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the simulated board: connect,
# configure, capture four averaged blocks and print the signal metrics of every channel. With
# a display, the desktop program starts afterwards on the simulated board.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
build/bin/seisbench-cli --simulate \
    'configure --rate 500 --channels 4' \
    'capture --samples 16384 --average 4 --window 3' \
    'analyze --test signal'
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/seisbench ]; then
    exec build/bin/seisbench --simulate
fi
