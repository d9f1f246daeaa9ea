#!/usr/bin/env bash
# Takes docs/screenshot-windows.png: the Windows program under Wine (its own window frame,
# in a Wine desktop) with a generated recording opened through File > Open.
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
# The recorder's setting: the open dialog starts in the folder that holds the recording.
wine reg add 'HKCU\Software\Vintrel\Quorbel' /v TmpDir /t REG_EXPAND_SZ /d '%TEMP%' /f >/dev/null
wine explorer /desktop=Salvorin,640x480 "$wine_tmp/salvorin.exe" &
for _ in $(seq 50); do
    xdotool search --name '^Salvorin - ' >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 2
# File > Open, then a double click on the one recording the folder lists (typing its name
# would lose the characters outside the keyboard map).
xdotool key alt+f o
sleep 2
xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$wine_tmp/open.png"
xdotool mousemove 200 165 click --repeat 2 --delay 100 1
sleep 2
xwd -root -silent | xwdtopnm 2>/dev/null | pnmcut -left 0 -top 0 -width 640 -height 480 |
    pnmcrop -quiet | pnmtopng >docs/screenshot-windows.png
cp "$wine_tmp/open.png" /tmp/salvorin-open-dialog.png
wineserver -k
echo "docs/screenshot-windows.png"
