#!/usr/bin/env bash
# The installed Windows program driven as a person drives it, under Wine and Xvfb: real X
# keyboard and mouse events (xdotool) through the system's own common dialogs, no seams.
# A recording is opened by typing its name and saved as a copy, a 1 GiB one is saved and
# Cancel clicked, another is converted in place; the WAV files are read on the Linux side.
# Runs under xvfb-run; needs the installer (scripts/build-windows.sh) and build-test's
# sample generator.
set -euo pipefail
cd "$(dirname "$0")/../.."
installer=$(ls build-windows/salvorin-*-setup.exe)
make_sample=build-test/tools/salvorin-make-sample
. scripts/windows/wine_env.sh
. tests/real_input/x_input.sh
openbox >/dev/null 2>&1 &
window_manager=$!
trap 'kill "$window_manager" 2>/dev/null || true; wine_cleanup' EXIT
fail() {
    echo "real input under Wine: $*" >&2
    exit 1
}

wine "$installer" /S
wineserver -w
user=$(id -un)
exe="$wine_c/users/$user/AppData/Local/Programs/Salvorin/salvorin.exe"
[ -f "$exe" ] || fail "not installed"
win_temp="C:\\users\\$user\\Temp"
"$make_sample" --rate 44100 --bits 16 --channels 2 --seconds 3 "$wine_temp/rec.tmp" >/dev/null
cp "$wine_temp/rec.tmp" "$wine_temp/inplace.tmp"
tail -c +45 "$wine_temp/rec.tmp" >"$wine_tmp/expected.pcm"
# Nearly 4 GiB, the most a plain WAV holds: sound at its start and end, nothing between (a
# sparse file, quick to make). Read from a sparse file, 1 GiB is copied here in under half
# a second, too soon for a click to land in the middle of it.
big="$wine_temp/big.tmp"
big_size=$((4 * 1024 * 1024 * 1024 - 65536))
cp "$wine_temp/rec.tmp" "$big"
truncate -s "$big_size" "$big"
dd if="$wine_temp/rec.tmp" of="$big" bs=65536 seek=$((big_size / 65536 - 9)) conv=notrunc status=none
big_sum=$(sha256sum <"$big")

wine "$exe" &
main=$(wait_window '^Salvorin$')

# Answers the box the program shows (captioned "Salvorin", over the main window) with Enter.
answer_box() {
    local box
    for _ in $(seq 600); do
        box=$(xdotool search --onlyvisible --name '^Salvorin$' 2>/dev/null | grep -vx "$main" | tail -n 1 || true)
        [ -n "$box" ] && break
        sleep 0.1
    done
    [ -n "$box" ] || fail "no box came"
    press "$box" Return
    wait_gone "$box"
}

# Opens $1 (a file in the user's Temp folder) with File > Open, typing its name; with $2
# "close", a file is open and the question whether to close it is answered Yes.
open_by_typing() {
    press "$main" alt+f o
    local dialog
    dialog=$(wait_window '^Open$')
    type_text "$dialog" "$win_temp\\$1"
    press "$dialog" Return
    [ "${2:-}" != close ] || answer_box
    wait_window "$1 - Salvorin\$" >/dev/null || fail "$1 did not open"
}

# Save as, to completion.
open_by_typing rec.tmp
press "$main" alt+f s
accept_proposed 'Save As'
answer_box
[ -f "$wine_temp/rec.wav" ] || fail "Save as made no rec.wav"

# Save as of nearly 4 GiB, cancelled by a click on the Saving dialog's Cancel button.
open_by_typing big.tmp
save_as_and_cancel "$main" "$wine_temp/big.wav" "$big" "$big_sum" "under Wine" ||
    fail "Cancel was not answered"

# Save in place: the question, the new name, the box.
open_by_typing inplace.tmp close
press "$main" alt+f v
answer_box
accept_proposed 'Save As'
answer_box
[ -f "$wine_temp/inplace.wav" ] && [ ! -e "$wine_temp/inplace.tmp" ] || fail "Save in place did not rename"

press "$main" alt+f e
wait_gone "$main" || fail "File > Exit did not end the program"
wineserver -w
for wav in rec.wav inplace.wav; do
    python3 tests/e2e/check_wav.py "$wine_temp/$wav" "$wine_tmp/expected.pcm" 44100 16 2
done
echo "real input under Wine: open by typing, Save as, Cancel, Save in place passed"
