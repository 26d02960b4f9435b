#!/usr/bin/env bash
# Installs what is missing, builds the programs and writes the Debian package
# build/seisbench_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target seisbench_package_files
(cd build && cpack -G DEB)
