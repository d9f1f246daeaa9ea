#!/usr/bin/env bash
# Release build and Debian package: build-release/salvorin_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSALVORIN_TESTS=OFF >/dev/null
cmake --build build-release
cpack -G DEB --config build-release/CPackConfig.cmake -B build-release
ls build-release/salvorin_*.deb
