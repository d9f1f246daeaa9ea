#!/usr/bin/env bash
# Builds Salvorin, leaves a sample temporary file in ./samples and starts the program there,
# so the open dialog finds the sample at once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSALVORIN_TESTS=OFF >/dev/null
cmake --build build
mkdir -p samples
sample=$(pwd)/samples/tune-22050-16bit-mono.tmp
build/tools/salvorin-make-sample --rate 22050 --bits 16 --channels 1 --seconds 8 "$sample" >/dev/null
echo "Sample temporary file: $sample (22050 samples per second, 16 bit, mono)"
cd samples
exec ../build/src/app/salvorin
