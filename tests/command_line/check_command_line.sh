#!/usr/bin/env bash
# The release program's command line, as a terminal user meets it: --help and --version on
# standard output with status 0; an unknown option or a second file: one line on standard
# error, status 2, and no window. Qt's own options are Qt's, not unknown ones. All of these
# are answered without a display too (over SSH, in a script).
# Usage: check_command_line.sh SALVORIN
set -uo pipefail
program=$1
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
# What runs the program: nothing, or env taking the display away.
run=()

# expect STATUS STDOUT_LINES STDERR_LINES PATTERN ARGS...: PATTERN is looked for in the
# stream that should speak.
expect() {
    local status=$1 outLines=$2 errLines=$3 pattern=$4
    shift 4
    timeout 20 "${run[@]}" "$program" "$@" >"$work/out" 2>"$work/err" </dev/null
    local got=$?
    local out err
    out=$(wc -l <"$work/out")
    err=$(wc -l <"$work/err")
    local speaking=$work/out
    [ "$errLines" -gt 0 ] && speaking=$work/err
    if [ "$got" -ne "$status" ] || [ "$out" -ne "$outLines" ] || [ "$err" -ne "$errLines" ] ||
        ! grep -q -e "$pattern" "$speaking"; then
        echo "FAIL: ${run[*]} salvorin $*: status $got (want $status), $out stdout lines (want $outLines)," \
            "$err stderr lines (want $errLines), looking for '$pattern'"
        sed 's/^/  stdout: /' "$work/out"
        sed 's/^/  stderr: /' "$work/err"
        failures=$((failures + 1))
    else
        echo "ok: ${run[*]} salvorin $*"
    fi
}

helpLines=$(timeout 20 "$program" --help 2>/dev/null | wc -l)
[ "$helpLines" -ge 2 ] || { echo "FAIL: --help printed $helpLines lines"; failures=$((failures + 1)); }
for display in with without; do
    [ "$display" = without ] && run=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
    expect 0 "$helpLines" 0 '^Usage: salvorin' --help
    expect 0 1 0 '^salvorin [0-9]' --version
    expect 2 0 1 "unknown option: --bogus" --bogus
    expect 2 0 1 "unknown option: -x" a.tmp -x
    expect 2 0 1 "also given: b.tmp" a.tmp b.tmp
    # Qt takes -platform, -reverse, -style and the like itself (also with "--", and with
    # their values); what is left is the program's.
    expect 2 0 1 "unknown option: --bogus" -platform offscreen -reverse --bogus
    expect 0 1 0 '^salvorin [0-9]' -reverse --version
    expect 0 1 0 '^salvorin [0-9]' --platform offscreen -style=Fusion -style Fusion --version
    expect 2 0 1 "also given: b.tmp" -qwindowtitle a.tmp -display :9 a.tmp b.tmp
    # After "--" a name that starts with '-' is a file.
    expect 2 0 1 "also given: -b.tmp" -- -a.tmp -b.tmp
done
exit $((failures > 0))
