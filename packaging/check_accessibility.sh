#!/usr/bin/env bash
# Lists the main dialog's accessible tree on a private accessibility bus and checks the
# roles, names, states and tab order a screen reader meets. Exits 77 (skipped) where the
# pieces are missing: an X server (xvfb-run), a session bus (dbus-run-session), the
# AT-SPI bus (at-spi2-core) and its Python binding (python3-gi, gir1.2-atspi-2.0).
# Usage: check_accessibility.sh SHOW_SAMPLE MAKE_SAMPLE
set -uo pipefail
show=$1
make_sample=$2
here=$(cd "$(dirname "$0")" && pwd)

skip() {
    echo "check_accessibility: skipped: $*"
    exit 77
}
command -v xvfb-run >/dev/null || skip "xvfb-run is not installed (xvfb)"
command -v xauth >/dev/null || skip "xauth is not installed"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed (dbus)"
[ -e /usr/share/dbus-1/services/org.a11y.Bus.service ] || skip "the AT-SPI bus is not installed (at-spi2-core)"
# Debian's binding belongs to Debian's interpreter, which a python3 earlier on PATH may not be.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' 2>/dev/null \
    || skip "the AT-SPI Python binding is not installed (python3-gi, gir1.2-atspi-2.0)"

# Under a sanitizer build the leak checker lists the suppressions it used (the libraries'
# own caches); that listing is not the program speaking.
export LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
"$make_sample" --rate 44100 --bits 16 --channels 2 --seconds 3 "$work/tune.tmp" >/dev/null \
    || { echo "check_accessibility: cannot make a sample file" >&2; exit 1; }

export XDG_RUNTIME_DIR=$work/runtime
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
xvfb-run -a -s "-screen 0 1024x768x24" \
    dbus-run-session -- "$python" "$here/accessibility_tree.py" "$show" "$work/tune.tmp"
