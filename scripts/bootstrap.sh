#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the package and the benchmarks need, and
# any further packages named as arguments; does nothing when they are all present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    nlohmann-json3-dev
    qt6-base-dev qt6-svg-dev libqcustomplot-dev libqcustomplot2.1-qt6
    libusb-1.0-0-dev umockdev libumockdev-dev
    libfftw3-dev
    libmseed-dev mseed2sac
    libsqlite3-dev libpq-dev postgresql
    fonts-dejavu-core fontconfig
    chromium
    lintian desktop-file-utils man-db
    poppler-utils
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
