#!/usr/bin/env bash
# The Windows program: cross-built with mingw-w64, its installer and zip made, and tested
# under Wine (a fresh prefix per run, WINEDEBUG=-all, under xvfb-run): the installer, and
# every test program built for Windows: the platform's contracts against the system's own
# calls, the core, the program-level suites (ui, save, playback, the fault campaign) and the
# Windows suite (the system's own registry, wave-out and paths, and the whole job); and
# playback through a real sound server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh
program=$(find build-windows -name salvorin.exe -path '*/app/*' | head -n 1)
NM=x86_64-w64-mingw32-nm SALVORIN_SYSTEM_CALLS_ARE_THE_SYSTEMS=1 cmake/check_no_seams.sh "$program"
ls -l build-windows/package/salvorin.exe
cmake -S . -B build-windows-test -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Debug -DSALVORIN_WERROR=ON -DSALVORIN_TESTS=ON >/dev/null
cmake --build build-windows-test -j "${SALVORIN_JOBS:-2}"
xvfb-run -a scripts/windows/test_installer.sh
xvfb-run -a -s "-screen 0 1024x768x24" scripts/windows/test_real_input.sh

# Playback through Wine's own wave-out into a real sound server, byte for byte; several
# runs, since a lost end showed in about half of them.
xvfb-run -a scripts/windows/test_sound_server.sh 6

# The whole job under Wine writes its WAV files here; readers that are not ours check them.
results=$(mktemp -d "${TMPDIR:-/tmp}/salvorin-wine-results.XXXXXX")
trap 'rm -rf "$results"' EXIT
SALVORIN_WINE_RESULTS="Z:${results//\//\\}" \
    xvfb-run -a scripts/windows/test_suites.sh --output-on-failure --repeat until-pass:2
read -r rate bits channels <"$results/format.txt"
for wav in copy.wav in-place.wav; do
    python3 tests/e2e/check_wav.py "$results/$wav" "$results/expected.pcm" "$rate" "$bits" "$channels"
done
