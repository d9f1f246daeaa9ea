#!/usr/bin/env bash
# Normal use prints nothing on the terminal: the main dialog comes up under a real X server
# (xvfb-run) with a file open, as root without XDG_RUNTIME_DIR (as after sudo), draws itself
# and ends; whatever it wrote to stdout or stderr fails the test. Exits 77 without xvfb-run.
# Usage: check_quiet.sh SHOW_SAMPLE MAKE_SAMPLE
set -uo pipefail
show=$1
make_sample=$2
command -v xvfb-run >/dev/null && command -v xauth >/dev/null \
    || { echo "check_quiet: skipped: xvfb-run is not installed"; exit 77; }
# Under a sanitizer build the leak checker lists the suppressions it used (the libraries'
# own caches); that listing is not the program speaking.
export LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_sample" --seconds 1 "$work/tune.tmp" >/dev/null || { echo "check_quiet: no sample" >&2; exit 1; }
env -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM -u QT_LOGGING_RULES \
    xvfb-run -a "$show" "$work/tune.tmp" "$work/window.png" >"$work/said" 2>&1
status=$?
if [ -s "$work/said" ]; then
    echo "check_quiet: the program printed:" >&2
    cat "$work/said" >&2
    exit 1
fi
[ $status -eq 0 ] && [ -s "$work/window.png" ] || { echo "check_quiet: exit status $status, no picture" >&2; exit 1; }
echo "check_quiet: ok"
