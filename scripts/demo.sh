#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on the simulated board: the desktop
# program when a display is present, else the headless start-up through the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/seisbench ]; then
    exec build/bin/seisbench --simulate
fi
exec build/bin/seisbench-cli --simulate "$@"
