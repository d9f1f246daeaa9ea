#!/usr/bin/env bash
# The installer under Wine: a silent per-user install (which starts nothing), the size it
# registers, the program starting from where it was installed, and the uninstaller removing
# it all again. Runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/../.."
installer=$(ls build-windows/salvorin-*-setup.exe)
. scripts/windows/wine_env.sh
. tests/real_input/x_input.sh
fail() { echo "installer test: $*" >&2; exit 1; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Salvorin'
user=$(id -un)
home="$wine_c/users/$user"
dir="$home/AppData/Local/Programs/Salvorin"
menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Salvorin.lnk"

wine "$installer" /S
[ -f "$dir/salvorin.exe" ] || fail "salvorin.exe not installed in $dir"
[ -f "$dir/uninstall.exe" ] || fail "no uninstaller in $dir"
[ -f "$menu" ] || fail "no Start menu entry"
wine reg query "$key" /v UninstallString | grep -F 'uninstall.exe' >/dev/null ||
    fail "uninstaller not registered under $key"

# The size in the list of installed programs: a DWORD of KiB, at least the program's.
size=$(wine reg query "$key" /v EstimatedSize | tr -d '\r' | awk '$1 == "EstimatedSize" { print $2 " " $3 }')
case $size in
REG_DWORD\ 0x*) ;;
*) fail "EstimatedSize is not a DWORD: '$size'" ;;
esac
kib=$((${size#REG_DWORD }))
exeKib=$(($(stat -c %s "$dir/salvorin.exe") / 1024))
[ "$kib" -ge "$exeKib" ] || fail "EstimatedSize $kib KiB is less than salvorin.exe's $exeKib KiB"
echo "installer test: EstimatedSize $kib KiB"

# A silent install does not start the program (the finish page's offer is not shown).
if xdotool search --name '^Salvorin$' >/dev/null 2>&1; then
    fail "the silent install started the program"
fi

# The installed program starts: its main window appears.
wine "$dir/salvorin.exe" &
wait_window '^Salvorin$' 200 >/dev/null || fail "the installed program showed no window"
wineserver -k || true

# Installed by hand, with real keys: Return on the folder page installs, and the finish page
# offers to start the program, ticked; Return there (Finish) starts it.
rm "$dir/salvorin.exe"
wine "$installer" &
setup=$(wait_window 'Salvorin Setup' 200) || fail "the installer showed no window"
sleep 1
xdotool windowactivate --sync "$setup" >/dev/null 2>&1 || true
xdotool key --window "$setup" Return
for _ in $(seq 100); do
    [ -f "$dir/salvorin.exe" ] && break
    sleep 0.2
done
[ -f "$dir/salvorin.exe" ] || fail "the installer's Install did not install"
sleep 3 # the files page moves on to the finish page by itself
xdotool key --window "$setup" Return
wait_window '^Salvorin$' 200 >/dev/null || fail "Finish on the finish page did not start the program"
wineserver -k || true

# The uninstaller copies itself away and runs from there: wait for it to finish.
wine "$dir/uninstall.exe" /S
for _ in $(seq 100); do
    [ -e "$dir" ] || break
    sleep 0.2
done
wineserver -w
[ ! -e "$dir" ] || fail "uninstall left $dir: $(ls "$dir")"
[ ! -e "$menu" ] || fail "uninstall left the Start menu entry"
if wine reg query "$key" >/dev/null 2>&1; then
    fail "uninstall left $key"
fi
echo "installer test: install, start and uninstall passed"
