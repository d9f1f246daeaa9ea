#!/usr/bin/env bash
# Builds and runs every test, then the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer. Headless: no display and no sound card needed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSALVORIN_WERROR=ON >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSALVORIN_WERROR=ON \
      -DSALVORIN_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j "$jobs"
UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
