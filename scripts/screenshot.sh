#!/usr/bin/env bash
# Makes docs/screenshot.png: the main dialog with a generated sample temporary file open,
# drawn under a virtual X server (xvfb-run), so it can be made again whenever the window
# changes. The picture comes from salvorin-show-sample (built with the tests), a test helper that
# runs the program's main dialog, opens the file as File > Open does (OpenSourceFile) and
# saves what the window shows; the program itself takes no arguments.
# Usage: scripts/screenshot.sh [OUTPUT.png [8|16]]   (the width the user then picks, for a
# picture of the waveform read in a wrong format; QT_SCALE_FACTOR=2 for a 200% picture;
# SALVORIN_BUILD_DIR to reuse a build tree configured with the tests)
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/screenshot.png}")
width=${2:-}
build=$(realpath -m "${SALVORIN_BUILD_DIR:-build-docs}")
scripts/install-deps.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target salvorin-show-sample salvorin-make-sample

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
# The title shows the path as opened: open it by name from its folder, so the picture
# does not carry this run's scratch path.
mkdir -p "$work/Recordings"
sample=$work/Recordings/rec0001.tmp
"$build/tools/salvorin-make-sample" --rate 22050 --bits 16 --channels 1 --seconds 95 "$sample" >/dev/null
mkdir -p "$(dirname "$output")"
(cd "$work/Recordings" &&
    XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$build/packaging/salvorin-show-sample" rec0001.tmp "$output" $width)
echo "Wrote $output"
