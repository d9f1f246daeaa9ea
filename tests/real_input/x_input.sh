# Sourced by the real-input tests: real X keyboard and mouse events (xdotool, XTEST) on the
# program's windows under Xvfb, with no window manager. A dialog's X window is its client
# area (and the menu bar, for a window with one), so a control is found from its template's
# dialog units in proportion to the window's size. A window manager runs: Wine waits for one
# to confirm that a window it hides is gone (two seconds, without one), as a desktop does.

# The id of the newest visible window whose title matches the extended regular expression
# $1, waiting up to $2 tenths of a second (default 300); fails when none appears.
wait_window() {
    local id
    for _ in $(seq "${2:-300}"); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "no window titled /$1/ appeared" >&2
    return 1
}

# Waits up to $2 fiftieths of a second (default 1500) until window $1 is gone or hidden.
wait_gone() {
    for _ in $(seq "${2:-1500}"); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.02
    done
    echo "window $1 ($(xdotool getwindowname "$1" 2>/dev/null)) did not go" >&2
    return 1
}

# Keys (xdotool key names) to window $1, given the keyboard focus first.
press() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    sleep 0.2
    xdotool key --delay 60 "$@"
}

# Text typed into whatever has the focus in window $1.
type_text() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    sleep 0.2
    xdotool type --delay 15 -- "$2"
}

# A left click at dialog-unit point ($4, $5) of window $1, whose client area is $2 x $3
# dialog units with $6 pixels above it (a menu bar; default 0).
click_dialog_units() {
    local id=$1 width=$2 height=$3 x=$4 y=$5 above=${6:-0}
    local info left top w h
    info=$(xwininfo -id "$id")
    left=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    top=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    xdotool mousemove --sync $((left + w * x / width)) $((top + above + (h - above) * y / height)) click 1
}

# Clicks Cancel on the Saving dialog $1 while the copy $2 grows towards $3 bytes, then waits
# for the dialog to close and for the copy (and any hidden copy beside it) to go. Sets
# cancel_closed and cancel_gone (milliseconds from the click) and cancel_copied (bytes
# copied before it); fails when the copy had ended first, or either wait runs out.
cancel_copy() {
    local saving=$1 copy=$2 size=$3 clicked closed
    local folder name
    folder=$(dirname "$copy")
    name=$(basename "$copy")
    cancel_copied=$(stat -c %s "$copy")
    if [ "$cancel_copied" -ge "$size" ]; then
        echo "the copy had ended before the click" >&2
        return 1
    fi
    click_dialog_units "$saving" 172 61 85 47
    clicked=$(now_ms)
    wait_gone "$saving" 500 || return 1
    closed=$(now_ms)
    for _ in $(seq 50); do
        ls -A "$folder" | grep -qF "$name" || break
        sleep 0.02
    done
    if ls -A "$folder" | grep -qF "$name"; then
        echo "the partial copy is still there a second after the dialog closed" >&2
        return 1
    fi
    cancel_closed=$((closed - clicked))
    cancel_gone=$(($(now_ms) - clicked))
}

# Accepts the file dialog titled $1 with what it proposes.
accept_proposed() {
    local dialog
    dialog=$(wait_window "^$1\$")
    press "$dialog" Return
}

# File > Save as in main window $1, the proposed name ($2, in the source's folder) accepted,
# then Cancel clicked while the copy runs (cancel_copy). The source $3 must keep its digest
# $4 and stay open; $5 names the platform in the line of figures printed.
save_as_and_cancel() {
    local main=$1 copy=$2 source=$3 digest=$4 size saving
    size=$(stat -c %s "$source")
    press "$main" alt+f s
    accept_proposed 'Save As'
    saving=$(wait_window '^Saving \.\.\.$')
    sleep 0.3 # the copy is under way
    cancel_copy "$saving" "$copy" "$size" || return 1
    if [ "$(sha256sum <"$source")" != "$digest" ]; then
        echo "the source changed" >&2
        return 1
    fi
    wait_window "$(basename "$source") - Salvorin\$" 10 >/dev/null || return 1
    echo "real input $5: Cancel click to dialog closed $cancel_closed ms, copy gone after" \
         "$cancel_gone ms ($((cancel_copied >> 20)) MiB copied before the click)"
}

# Milliseconds since the epoch.
now_ms() {
    date +%s%3N
}
