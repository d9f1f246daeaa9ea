#!/usr/bin/env bash
# The release program on Linux driven as a person drives it: in its real Qt window under
# Xvfb, a Save as of nearly 4 GiB started from the menu by keys and cancelled by a mouse
# click on the Saving dialog's Cancel button. The dialog must close at once, the partial
# copy go, and the source stay as it was.
#     check_cancel.sh SALVORIN
set -euo pipefail
program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
. "$here/x_input.sh"
folder=$(mktemp -d "${TMPDIR:-/tmp}/salvorin-real-input.XXXXXX")
openbox >/dev/null 2>&1 &
window_manager=$!
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    kill "$window_manager" 2>/dev/null || true
    rm -rf "$folder"
}
trap cleanup EXIT
fail() {
    echo "real input on Linux: $*" >&2
    exit 1
}

# Sound at its start and its end, nothing between (a sparse file, quick to make): from a
# sparse file 1 GiB is copied in well under a second, too soon for a click to land.
big="$folder/big.tmp"
big_size=$((4 * 1024 * 1024 * 1024 - 65536))
head -c 1000000 /dev/urandom >"$big"
truncate -s "$big_size" "$big"
head -c 1000000 /dev/urandom | dd of="$big" bs=65536 seek=$((big_size / 65536 - 16)) conv=notrunc status=none
big_sum=$(sha256sum <"$big")

cd "$folder"
QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$program" "$big" &
pid=$!
main=$(wait_window 'big\.tmp - Salvorin$')
save_as_and_cancel "$main" "$folder/big.wav" "$big" "$big_sum" "on Linux" ||
    fail "Cancel was not answered"
