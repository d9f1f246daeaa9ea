#!/usr/bin/env bash
# Cross-builds the Windows program on Debian with mingw-w64 and makes what a Windows user
# downloads: build-windows/salvorin-<version>-setup.exe and salvorin-<version>-win64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DSALVORIN_WERROR=ON -DSALVORIN_TESTS=OFF >/dev/null
cmake --build build-windows -j "${SALVORIN_JOBS:-2}" --target windows_packages
ls build-windows/salvorin-*-setup.exe build-windows/salvorin-*-win64.zip
