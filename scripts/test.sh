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

# The copy worker is the program's one second thread, and the wave-out layer hands buffers
# between SDL's audio thread and the dialog: their tests run again under ThreadSanitizer.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSALVORIN_WERROR=ON \
      -DSALVORIN_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$jobs" --target test_save test_playback
suites=$(for program in test_save test_playback; do
             build-tsan/tests/$program --gtest_list_tests | grep -v '^ ' | tr -d '.'
         done | sort -u | paste -sd '|')
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R "(^|/)($suites)\\."
