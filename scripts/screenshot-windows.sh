#!/usr/bin/env bash
# Takes docs/screenshot-windows.png: the Windows program under Wine (its own window frame,
# in a Wine desktop) with a generated recording opened from the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi
exe=build-windows/src/app/salvorin.exe
[ -x "$exe" ] || scripts/build-windows.sh
cmake --build build-test --target salvorin-make-sample >/dev/null
. scripts/windows/wine_env.sh
name="Übung-録音.tmp"
build-test/tools/salvorin-make-sample --seconds 5 "$wine_temp/$name" >/dev/null
cp "$exe" "$wine_tmp/salvorin.exe"
# The file is named on the command line, as a file manager passes it; the window title then
# carries its path. Waiting for that title keeps a busy machine from taking the picture early.
wine explorer /desktop=Salvorin,640x480 "$wine_tmp/salvorin.exe" "C:\\users\\$(id -un)\\Temp\\$name" &
for _ in $(seq 150); do
    xdotool search --name '^Salvorin - .*tmp' >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 2
xwd -root -silent | xwdtopnm 2>/dev/null | pnmcut -left 0 -top 0 -width 640 -height 480 |
    pnmcrop -quiet | pnmtopng >docs/screenshot-windows.png
wineserver -k
echo "docs/screenshot-windows.png"
