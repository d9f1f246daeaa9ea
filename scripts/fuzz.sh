#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a bounded time, starting from
# its seed corpus in fuzz/corpus/<name without fuzz_>. Fails on the first crash, leak,
# sanitizer report or hang. Usage: scripts/fuzz.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${SALVORIN_FUZZ_BUILD:-build-fuzz}

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is needed (apt-get install clang)" >&2; exit 1; }

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSALVORIN_SANITIZE=fuzzer-no-link,address,undefined \
    -DSALVORIN_FUZZ=ON -DSALVORIN_TESTS=OFF >/dev/null

status=0
for source in fuzz/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    cmake --build "$build" --target "$name"
    seeds="fuzz/corpus/${name#fuzz_}"
    # New inputs go to a scratch corpus, so the seeds in the repository stay as they are.
    work="$build/corpus/$name"
    artifacts="$build/artifacts/$name/"
    mkdir -p "$work" "$artifacts"
    echo "== $name for ${seconds}s"
    if ! "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts" \
            "$work" "$seeds"; then
        echo "fuzz.sh: $name failed; the input is in $artifacts" >&2
        status=1
    fi
done
exit $status
