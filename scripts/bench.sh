#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them all. Every figure is a ratio against a
# reference measured in the same run: the median of the rounds, with their min and max.
# SALVORIN_BENCH_ROUNDS (default 5; 9 for Save as) and SALVORIN_BENCH_DIR (scratch files,
# default build-bench/bench-data, which needs about 9 GiB free) change the defaults.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
# The references: sox and ffmpeg convert, GNU time reports each benchmark's cost.
missing=()
for p in sox ffmpeg time; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep 'install ok installed' >/dev/null || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSALVORIN_TESTS=OFF -DSALVORIN_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)" --target bench_save_as bench_open_in_place bench_open_suggest \
    bench_playback bench_startup bench_startup_salvorin bench_startup_qt

export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="/tmp/salvorin-runtime-$(id -u)"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
export SALVORIN_BENCH_DIR="${SALVORIN_BENCH_DIR:-$root/build-bench/bench-data}"
mkdir -p "$SALVORIN_BENCH_DIR"
# The 1 GiB, 4 GiB and 6 GiB (sparse) files never outlive the run.
trap 'rm -rf "$SALVORIN_BENCH_DIR"' EXIT

echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) CPUs," \
     "$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo) memory," \
     "$(. /etc/os-release && echo "$PRETTY_NAME"), Linux $(uname -r)"
echo "Scratch files on: $(df -PT "$SALVORIN_BENCH_DIR" | awk 'NR == 2 {print $1 " (" $2 ")"}')"
echo "References: $(cp --version | head -1), $(sox --version 2>&1 | grep -o 'v[0-9.]*' | head -1 | sed 's/^/sox /')," \
     "$(ffmpeg -version | head -1 | cut -d' ' -f1-3)"
echo

for bench in bench_save_as bench_open_in_place bench_open_suggest bench_playback bench_startup; do
    /usr/bin/time -f "  ($bench: %e s, %M KiB peak resident)" build-bench/bench/$bench
    echo
done
